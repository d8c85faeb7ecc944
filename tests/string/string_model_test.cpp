// Both string classes against a plain std::basic_string model, on many short random texts
// over a small alphabet (so that matches, runs and prefixes are frequent) and across the
// inline/heap boundary.
#include "ktora/string/C_WString.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

using ktora::C_String;
using ktora::C_WString;

namespace {

template <class Ch> std::basic_string<Ch> random_text(std::mt19937& rng, int maxLength) {
    static const char alphabet[] = "aab/\\ ";
    std::uniform_int_distribution<int> len(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 5);
    std::basic_string<Ch> s;
    const int n = len(rng);
    for (int i = 0; i < n; ++i) {
        s += static_cast<Ch>(alphabet[pick(rng)]);
    }
    return s;
}

template <class Ch>
std::basic_string<Ch> model_replace(const std::basic_string<Ch>& s, const std::basic_string<Ch>& f,
                                    const std::basic_string<Ch>& t) {
    if (f.empty()) {
        return s;
    }
    std::basic_string<Ch> out;
    size_t i = 0;
    while (i < s.size()) {
        if (s.compare(i, f.size(), f) == 0) {
            out += t;
            i += f.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

template <class Ch> std::basic_string<Ch> model_squeeze(const std::basic_string<Ch>& s) {
    std::basic_string<Ch> out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == 0 || s[i] != s[i - 1]) {
            out += s[i];
        }
    }
    return out;
}

template <class Ch>
std::basic_string<Ch> model_trim_last(std::basic_string<Ch> s, const std::basic_string<Ch>& set,
                                      size_t unit) {
    for (;;) {
        bool hit = false;
        for (size_t k = 0; k + unit <= set.size() && s.size() >= unit; k += unit) {
            if (s.compare(s.size() - unit, unit, set, k, unit) == 0) {
                s.resize(s.size() - unit);
                hit = true;
                break;
            }
        }
        if (!hit) {
            return s;
        }
    }
}

int sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

template <class S, class Ch> void check_against_model(std::mt19937& rng) {
    const std::basic_string<Ch> a = random_text<Ch>(rng, 40);
    const std::basic_string<Ch> b = random_text<Ch>(rng, 3);
    const std::basic_string<Ch> c = random_text<Ch>(rng, 4);
    const S sa(a.c_str());
    const S sb(b.c_str());
    const S sc(c.c_str());
    ASSERT_EQ(static_cast<int>(a.size()), sa.Length());

    const int from = std::uniform_int_distribution<int>(-2, 42)(rng);
    const int to = std::uniform_int_distribution<int>(-2, 42)(rng);
    const int n = static_cast<int>(a.size());

    int expected = -1;
    if (!b.empty() && from >= 0 && from < n) {
        const size_t at = a.find(b, from);
        expected = at == std::basic_string<Ch>::npos ? -1 : static_cast<int>(at);
    }
    EXPECT_EQ(expected, sa.IndexOf(sb, from)) << from;

    expected = -1;
    if (!b.empty() && from >= 0) {
        const size_t at = a.rfind(b, from >= n ? n - 1 : from);
        expected = (n == 0 || at == std::basic_string<Ch>::npos) ? -1 : static_cast<int>(at);
    }
    EXPECT_EQ(expected, sa.LastIndexOf(sb, from)) << from;

    std::basic_string<Ch> sub;
    const int end = to == n ? n - 1 : to;
    if (from >= 0 && from < n && end >= from && end >= 0 && to <= n) {
        sub = a.substr(from, end - from + 1);
    }
    EXPECT_EQ(sub, std::basic_string<Ch>(sa.SubString(from, to).GetString()));

    if (!c.empty()) {
        EXPECT_EQ(model_replace(a, b, c), std::basic_string<Ch>(sa.Replace(sb, sc).GetString()));
    }
    EXPECT_EQ(model_squeeze(a), std::basic_string<Ch>(sa.Squeeze(S().GetString()).GetString()));
    for (int unit = 1; unit <= 2; ++unit) {
        EXPECT_EQ(model_trim_last(a, c, unit),
                  std::basic_string<Ch>(sa.TrimLastChars(c.c_str(), unit).GetString()));
    }
    EXPECT_EQ(a.compare(0, b.size(), b) == 0, sa.StartsWith(sb));
    EXPECT_EQ(a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0,
              sa.EndsWith(sb));
    EXPECT_EQ(a < b, sa < sb);
    EXPECT_EQ(a == b, sa == sb);
    if (!a.empty() && !b.empty()) {
        EXPECT_EQ(sign(a.compare(b)), sign(sa.CompareTo(sb)));
    }

    S grown = sa;
    grown += sb;
    grown += grown;
    EXPECT_EQ((a + b) + (a + b), std::basic_string<Ch>(grown.GetString()));
}

} // namespace

TEST(StringModel, WideOperationsAgreeWithAPlainModel) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 400; ++i) {
        check_against_model<C_WString, wchar_t>(rng);
    }
}

TEST(StringModel, NarrowOperationsAgreeWithAPlainModel) {
    std::mt19937 rng(7);
    for (int i = 0; i < 400; ++i) {
        check_against_model<C_String, char>(rng);
    }
}
