#pragma once

namespace ktora {

// Common base of the file classes; carries no data and no virtual operations.
class I_FileDefine {};

} // namespace ktora
