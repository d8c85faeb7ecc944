#pragma once

namespace ktora {

// A block of bytes that can be handed around without knowing its owner's class.
class I_Memory {
public:
    virtual ~I_Memory() {}
    virtual void* GetPointer() = 0;
    virtual unsigned long Length() const = 0;
};

} // namespace ktora
