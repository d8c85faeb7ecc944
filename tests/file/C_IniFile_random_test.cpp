// Generated and mutated settings files run through random reads and changes. After every
// change that reaches the file, its bytes must equal what a separate, simple model of the
// file format predicts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "file/settings_temp_dir.h"
#include "ktora/file/C_IniFile.h"
#include "ktora/file/C_WIniFile.h"

using settings_test::ReadBytes;
using settings_test::TempDir;
using settings_test::WriteBytes;

namespace {

template <class Ch> struct Types;
template <> struct Types<char> {
    using Ini = ktora::C_IniFile;
    using Str = ktora::C_String;
};
template <> struct Types<wchar_t> {
    using Ini = ktora::C_WIniFile;
    using Str = ktora::C_WString;
};

template <class Ch> std::basic_string<Ch> Ascii(const char* s) {
    std::basic_string<Ch> out;
    for (; *s; ++s) {
        out.push_back(static_cast<Ch>(static_cast<unsigned char>(*s)));
    }
    return out;
}

// The file as the format defines it: lines end at CR LF, a lone CR or LF; a line's text
// stops at its first NUL; "#" or a space first means no key; the key runs to the first
// space or "="; the value starts after the first "=" at the first character that is
// neither space nor "=".
template <class Ch> struct Model {
    using S = std::basic_string<Ch>;
    S units;
    std::string stray; // a UTF-16 file's odd last byte

    struct Hit {
        size_t lineStart, lineLength, valueAt;
        S value;
    };

    bool Find(const S& key, Hit* hit) const {
        if (key.empty()) {
            return false;
        }
        size_t start = 0;
        while (start < units.size()) {
            size_t end = units.find_first_of(Ascii<Ch>("\r\n"), start);
            size_t next;
            if (end == S::npos) {
                end = units.size();
                next = end;
            } else if (units[end] == '\r' && end + 1 < units.size() && units[end + 1] == '\n') {
                next = end + 2;
            } else {
                next = end + 1;
            }
            const S line = units.substr(start, end - start);
            const S text = line.substr(0, line.find(Ch(0)));
            if (!text.empty() && text[0] != '#' && text[0] != ' ') {
                const size_t k = text.find_first_of(Ascii<Ch>(" ="));
                const size_t eq = k == S::npos ? S::npos : text.find('=', k);
                if (text.substr(0, k) == key && eq != S::npos) {
                    size_t v = text.find_first_not_of(Ascii<Ch>(" ="), eq);
                    v = v == S::npos ? text.size() : v;
                    *hit = Hit{start, line.size(), v, text.substr(v)};
                    return true;
                }
            }
            start = next;
        }
        return false;
    }

    std::string Bytes() const {
        std::string b(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(Ch));
        return b + stray;
    }
};

template <class Ch> class Session {
public:
    using S = std::basic_string<Ch>;
    using Ini = typename Types<Ch>::Ini;
    using Str = typename Types<Ch>::Str;

    Session(std::mt19937& rng, const std::wstring& path) : m_rng(rng), m_path(path) {}

    void Go(int round) {
        m_round = round;
        Generate();
        ASSERT_TRUE(WriteBytes(m_path, m_model.Bytes()));
        m_pending = 99;
        {
            Ini ini;
            ASSERT_EQ(1, ini.Open(ktora::C_WString(m_path.c_str())));
            const int steps = 1 + Pick(8);
            for (int i = 0; i < steps && !::testing::Test::HasFatalFailure(); ++i) {
                Step(ini);
            }
        }
        // Destruction commits what is pending.
        if (!::testing::Test::HasFatalFailure()) {
            ApplyPending();
            ExpectFile("after destruction");
        }
    }

private:
    int Pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    Ch RandomUnit() {
        static const char common[] = "ab=  =#\r\n\t0123456789xyz";
        switch (Pick(6)) {
        case 0:
            return 0;
        case 1:
            return sizeof(Ch) == 1 ? static_cast<Ch>(0x82 + Pick(4))
                                   : static_cast<Ch>(0x3041 + Pick(80));
        case 2:
            return static_cast<Ch>(m_rng());
        default:
            return static_cast<Ch>(common[Pick(sizeof common - 1)]);
        }
    }

    S RandomKey() {
        static const char* pool[] = {"a",  "b",   "key", "k1", "x",    "#a",
                                     " a", "a b", "",    "=",  "tab\t"};
        if (Pick(5) == 0) {
            S k;
            for (int n = 1 + Pick(3); n > 0; --n) {
                k.push_back(RandomUnit());
            }
            return k;
        }
        if (Pick(3) == 0) {
            S k = Ascii<Ch>("k");
            k.push_back(sizeof(Ch) == 1 ? static_cast<Ch>(0x82) : static_cast<Ch>(0x540d));
            k.push_back(static_cast<Ch>(0xa0));
            return k;
        }
        return Ascii<Ch>(pool[Pick(sizeof pool / sizeof pool[0])]);
    }

    S RandomValue(int maxLength) {
        S v;
        static const char* pool[] = {"1", "", "value", " spaced ", "a=b", "12ab", "x"};
        if (Pick(2) == 0) {
            return Ascii<Ch>(pool[Pick(sizeof pool / sizeof pool[0])]);
        }
        for (int n = Pick(maxLength); n > 0; --n) {
            v.push_back(RandomUnit());
        }
        return v;
    }

    void Generate() {
        S& u = m_model.units;
        u.clear();
        m_model.stray.clear();
        static const char* separators[] = {" = ", "=", "  ==  ", " ", " other = ", "= =", "=="};
        static const char* ends[] = {"\r\n", "\r\n", "\n", "\r", "", "\r\n\r\n"};
        for (int lines = Pick(10); lines > 0; --lines) {
            switch (Pick(8)) {
            case 0: // random units
                for (int n = Pick(40); n > 0; --n) {
                    u.push_back(RandomUnit());
                }
                break;
            case 1: // a long line, across the reader's blocks
                u += RandomKey() + Ascii<Ch>(" = ");
                u += S(static_cast<size_t>(200 + Pick(9000)), static_cast<Ch>('v'));
                break;
            default:
                u += RandomKey() + Ascii<Ch>(separators[Pick(7)]) + RandomValue(12);
                break;
            }
            u += Ascii<Ch>(ends[Pick(6)]);
        }
        // Mutations: flipped units, inserted CR / LF / NUL, a cut end.
        for (int m = Pick(4); m > 0 && !u.empty(); --m) {
            const size_t at = static_cast<size_t>(Pick(static_cast<int>(u.size())));
            switch (Pick(4)) {
            case 0:
                u[at] = RandomUnit();
                break;
            case 1:
                u.insert(u.begin() + static_cast<std::ptrdiff_t>(at),
                         static_cast<Ch>("\r\n\0"[Pick(3)]));
                break;
            case 2:
                u.resize(at);
                break;
            default:
                u.erase(at, 1);
                break;
            }
        }
        if (sizeof(Ch) == 2 && Pick(5) == 0) {
            m_model.stray.push_back(static_cast<char>(m_rng()));
        }
    }

    S KeyForStep() {
        // Mostly keys that exist in the file, taken from the start of a random line.
        if (Pick(3) != 0 && !m_model.units.empty()) {
            const S& u = m_model.units;
            size_t at = static_cast<size_t>(Pick(static_cast<int>(u.size())));
            const size_t lineStart = u.find_last_of(Ascii<Ch>("\r\n"), at);
            at = lineStart == S::npos ? 0 : lineStart + 1;
            const size_t end = u.find_first_of(Ascii<Ch>(" =\r\n"), at);
            return u.substr(at, (end == S::npos ? u.size() : end) - at);
        }
        return RandomKey();
    }

    static bool ValidKey(const S& k) {
        return !k.empty() && k[0] != '#' && k.find_first_of(Ascii<Ch>(" =\r\n")) == S::npos &&
               k.find(Ch(0)) == S::npos;
    }
    static bool ValidValue(const S& v) {
        return v.find_first_of(Ascii<Ch>("\r\n")) == S::npos && v.find(Ch(0)) == S::npos;
    }

    static S Units(const Str& s) { return S(s.GetString(), static_cast<size_t>(s.Length())); }

    // Builds a string that holds exactly these units (NULs included) for the calls.
    static Str Make(const S& units);

    void ApplyPending() {
        S& u = m_model.units;
        switch (m_pending) {
        case 1: {
            if (!u.empty() && u.back() != '\r' && u.back() != '\n') {
                u += Ascii<Ch>("\r\n");
            }
            u += m_key + Ascii<Ch>(" = ") + m_value + Ascii<Ch>("\r\n");
            m_model.stray.clear(); // the new line starts on the stray byte
            break;
        }
        case 0:
            u = u.substr(0, m_hit.lineStart + m_hit.valueAt) + m_value +
                u.substr(m_hit.lineStart + m_hit.lineLength);
            break;
        case -1: {
            S tail = u.substr(m_hit.lineStart + m_hit.lineLength);
            const size_t keep = tail.find_first_not_of(Ascii<Ch>("\r\n"));
            tail = keep == S::npos ? S() : tail.substr(keep);
            u = u.substr(0, m_hit.lineStart) + tail;
            break;
        }
        case -2:
            u.clear();
            m_model.stray.clear();
            break;
        default:
            return;
        }
        m_pending = 99;
    }

    void ExpectFile(const char* what) {
        ASSERT_EQ(m_model.Bytes(), ReadBytes(m_path)) << "round " << m_round << ": " << what;
    }

    void CommitFirst(const char* what) {
        if (m_pending != 99) {
            ApplyPending();
            ExpectFile(what);
        }
    }

    void Step(Ini& ini) {
        const int kind = Pick(10);
        if (kind <= 2) { // read
            const S key = Units(Make(KeyForStep()));
            ini.ClearLastError();
            const S got = Units(ini.GetStr(Make(key)));
            typename Model<Ch>::Hit hit;
            bool found;
            S expected;
            if (m_pending == -2) {
                found = false;
            } else if (m_pending != 99 && key == m_key && !key.empty()) {
                found = m_pending != -1;
                expected = m_value;
            } else {
                found = m_model.Find(key, &hit);
                expected = hit.value;
            }
            ASSERT_EQ(found ? 0 : 1, ini.IsLastError()) << "round " << m_round << " get";
            if (found) {
                ASSERT_TRUE(expected == got) << "round " << m_round << " get value";
            }
        } else if (kind <= 4) { // set
            const S key = Units(Make(Pick(4) == 0 ? RandomKey() : KeyForStep()));
            const S value = Units(Make(RandomValue(Pick(6) == 0 ? 400 : 10)));
            ini.ClearLastError();
            const int before = ini.IsCommit();
            ini.SetStr(Make(key), Make(value));
            if (!ValidKey(key) || !ValidValue(value)) {
                ASSERT_EQ(1, ini.IsLastError()) << "round " << m_round << " refused set";
                ASSERT_EQ(before, ini.IsCommit());
                return;
            }
            ASSERT_EQ(0, ini.IsLastError()) << "round " << m_round << " set";
            if (m_pending != 99) {
                ApplyPending();
                ExpectFile("set commits the earlier change");
            }
            m_pending = m_model.Find(key, &m_hit) ? 0 : 1;
            m_key = key;
            m_value = value;
        } else if (kind == 5) { // delete
            const S key = Units(Make(KeyForStep()));
            ini.ClearLastError();
            const int result = ini.DeleteStr(Make(key));
            if (key.empty()) {
                ASSERT_EQ(0, result);
                return;
            }
            CommitFirst("delete commits the earlier change");
            if (m_model.Find(key, &m_hit)) {
                ASSERT_EQ(1, result) << "round " << m_round << " delete";
                m_pending = -1;
                m_key = key;
                m_value.clear();
            } else {
                ASSERT_EQ(0, result) << "round " << m_round << " delete of a missing key";
                ASSERT_EQ(1, ini.IsLastError());
            }
        } else if (kind == 6) {
            if (Pick(3) == 0) {
                ASSERT_EQ(1, ini.DeleteAllStr());
                CommitFirst("delete-all commits the earlier change");
                m_pending = -2;
                m_key.clear();
            } else {
                ASSERT_EQ(m_pending != 99 ? 1 : 0, ini.RollBack());
                m_pending = 99;
            }
        } else if (kind <= 8) { // commit
            const int pending = m_pending;
            ASSERT_EQ(pending != 99 ? 1 : 0, ini.Commit()) << "round " << m_round << " commit";
            ApplyPending();
            ExpectFile("commit");
        } else { // close and open again: a pending change goes to this file first
            ini.Close();
            ApplyPending();
            ExpectFile("close");
            ASSERT_EQ(1, ini.Open(ktora::C_WString(m_path.c_str())));
        }
    }

    std::mt19937& m_rng;
    std::wstring m_path;
    int m_round = 0;
    Model<Ch> m_model;
    int m_pending = 99; // 99 none, 1 append, 0 replace, -1 delete, -2 delete all
    S m_key;
    S m_value;
    typename Model<Ch>::Hit m_hit{};
};

template <> ktora::C_String Session<char>::Make(const std::string& units) {
    ktora::C_String s;
    if (!units.empty()) {
        s.SetBytes(units.data(), 0, static_cast<int>(units.size()), static_cast<int>(units.size()));
    }
    return s;
}

template <> ktora::C_WString Session<wchar_t>::Make(const std::wstring& units) {
    // Wide strings cannot carry a NUL: such keys and values are cut, as any caller's would be.
    return ktora::C_WString(units.c_str());
}

} // namespace

TEST(IniFileRandom, TenThousandGeneratedFilesMatchTheModel) {
    TempDir dir;
    const std::wstring narrow = dir.Path(L"random.txt");
    const std::wstring wide = dir.Path(L"random.ini");
    std::mt19937 rng(20261207u);
    Session<char> narrowRun(rng, narrow);
    Session<wchar_t> wideRun(rng, wide);
    const int rounds = 10000;
    for (int round = 0; round < rounds && !HasFatalFailure(); ++round) {
        if (round % 4 == 3) {
            wideRun.Go(round);
        } else {
            narrowRun.Go(round);
        }
    }
}
