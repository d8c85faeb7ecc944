#include "app/CopyPlan.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "app/CopyMessages.h"
#include "app/CopyPaths.h"
#include "app/NameList.h"
#include "ktora/file/ktora_lastname.h"

using ktora::C_WString;

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A folder name split around its counter: prefix + counter + suffix.
struct NameParts {
    std::wstring prefix;
    std::wstring suffix;
};

NameParts PartsOf(CopyNaming const& n, C_WString const& lastName) {
    std::wstring last = lastName.GetString();
    std::wstring cat1 = n.texts.dir_cat1.GetString();
    std::wstring cat2 = n.texts.dir_cat2.GetString();
    switch (n.name_order) {
    case 0:
        return {last, cat1 + cat2};
    case 1:
        return {last + cat1, cat2};
    default:
        return {last + cat1 + cat2, std::wstring()};
    }
}

// Lengths of the folder name's part that holds the counter, and of the whole name, for a
// counter of counterLength characters.
void NameLengths(NameParts const& parts, long long counterLength, long long* partLength,
                 long long* nameLength) {
    size_t head = parts.prefix.find_last_of(L"\\/");
    head = head == std::wstring::npos ? 0 : head + 1;
    size_t tail = parts.suffix.find_first_of(L"\\/");
    tail = tail == std::wstring::npos ? parts.suffix.size() : tail;
    *partLength = static_cast<long long>(parts.prefix.size() - head) + counterLength +
                  static_cast<long long>(tail);
    *nameLength = static_cast<long long>(parts.prefix.size() + parts.suffix.size()) + counterLength;
}

CopyRefusal CheckNames(CopyPlan const& plan) {
    JoiningTexts const& t = plan.first.texts;
    if (HasBadNameCharacter(t.dir_cat1) || HasBadNameCharacter(t.dir_cat2)) {
        return CopyRefusal::kBadJoiningText;
    }
    // A line break would write lines of its own into outinfo.txt.
    if (plan.text_output && (HasControlCharacter(t.txt_cat1) || HasControlCharacter(t.txt_cat2) ||
                             HasControlCharacter(t.txt_cat3) || HasControlCharacter(t.txt_front))) {
        return CopyRefusal::kBadJoiningText;
    }
    // The longest name is the last one: it must fit a folder name and a path, the path in the
    // \\?\ form file calls give it.
    NameParts parts = PartsOf(plan.first, plan.last_name);
    long long part = 0;
    long long name = 0;
    // A listed name is as long as it is: the longest of the list counts, not the last.
    NameLengths(parts,
                plan.first.names ? plan.first.names->LongestLength()
                                 : CounterLengthAt(plan.first, plan.count - 1),
                &part, &name);
    const long long containerUnits = FileCallPath(plan.container, true).Length();
    if (part > kMaxNameUnits || containerUnits + 1 + name > kMaxLongPathUnits) {
        return CopyRefusal::kNameTooLong;
    }
    // Parts without the counter are the same in every name: the first name shows them. A
    // part with the counter is a device name ("com" + 1) only while the counter is short:
    // device names are at most seven characters with at most one digit.
    std::vector<int> indices = {0, plan.count - 1};
    if (plan.first.names) {
        // Each listed name was checked alone; joined to the text before it in its part, only
        // a name with a short stem can make a device name ("co" + "m1"), and none after a dot.
        size_t cut = parts.prefix.find_last_of(L"\\/");
        std::wstring head = parts.prefix.substr(cut == std::wstring::npos ? 0 : cut + 1);
        const int kLongestDeviceStem = 7;
        if (head.find(L'.') == std::wstring::npos &&
            static_cast<int>(head.size()) <= kLongestDeviceStem) {
            for (int i :
                 plan.first.names->ShortNames(kLongestDeviceStem - static_cast<int>(head.size()))) {
                indices.push_back(i);
            }
        }
    } else if (plan.first.is_number) {
        for (long long n = std::max(plan.first.number, 0LL); n <= 9; ++n) {
            long long index = n - plan.first.number;
            if (index >= 0 && index < plan.count) {
                indices.push_back(static_cast<int>(index));
            }
        }
    } else {
        for (int i = 1; i < std::min(plan.count, 26 * 7); ++i) {
            indices.push_back(i);
        }
    }
    for (int i : indices) {
        if (!IsUsableCopyName(plan.FolderName(i))) {
            return CopyRefusal::kBadDestination;
        }
    }
    // The counter never ends a part with a dot or blank: the first and last names show every
    // part that could.
    if (HasTrailingDotPart(plan.last_name) || HasTrailingDotPart(plan.FolderName(0)) ||
        HasTrailingDotPart(plan.FolderName(plan.count - 1))) {
        return CopyRefusal::kTrailingDot;
    }
    return CopyRefusal::kNone;
}

// True when text holds part at offset at (without regard to case).
bool HasNoCase(std::wstring const& text, size_t at, std::wstring const& part) {
    return at + part.size() <= text.size() &&
           EqualNoCase(text.c_str() + at, static_cast<int>(part.size()), part.c_str(),
                       static_cast<int>(part.size()));
}

// The copy index whose counter text is counter, or -1.
int IndexOfCounter(CopyPlan const& plan, std::wstring const& counter) {
    if (counter.empty()) {
        return -1;
    }
    long long index = -1;
    if (plan.first.names) {
        // One case-blind table, as the file system compares the names.
        index = plan.first.names->IndexOf(counter.c_str(), static_cast<int>(counter.size()));
    } else if (plan.first.is_number) {
        // Numbers reach at most 999,999,999 + INT_MAX: ten digits.
        if (counter.size() > 10 || counter.find_first_not_of(L"0123456789") != std::wstring::npos) {
            return -1;
        }
        index = std::stoll(counter) - plan.first.number;
    } else {
        // i / 26 letters "a", then the letter i % 26; folder names ignore case.
        std::wstring lower = counter;
        for (wchar_t& c : lower) {
            c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        }
        wchar_t last = lower.back();
        if (last < L'a' || last > L'z' || lower.find_first_not_of(L'a') < lower.size() - 1) {
            return -1;
        }
        index = static_cast<long long>(lower.size() - 1) * 26 + (last - L'a');
    }
    if (index < 0 || index >= plan.count) {
        return -1;
    }
    // "07" is not copy 7's counter unless the width pads it so.
    if (plan.first.is_number &&
        counter !=
            std::wstring(CounterText(NamingAt(plan.first, static_cast<int>(index))).GetString())) {
        return -1;
    }
    return static_cast<int>(index);
}

} // namespace

wchar_t const* RefusalText(CopyRefusal refusal) {
    switch (refusal) {
    case CopyRefusal::kSameFolder:
        return kTellSameFolder;
    case CopyRefusal::kBadDestination:
        return kTellBadDestination;
    case CopyRefusal::kBadSource:
        return kTellBadSource;
    case CopyRefusal::kBadCount:
        return kTellBadCount;
    case CopyRefusal::kBadJoiningText:
        return kTellBadJoiningText;
    case CopyRefusal::kBadStart:
        return kTellBadStart;
    case CopyRefusal::kBadWidth:
        return kTellBadWidth;
    case CopyRefusal::kTrailingDot:
        return kTellTrailingDot;
    case CopyRefusal::kNameTooLong:
        return kTellNameTooLong;
    case CopyRefusal::kListUnreadable:
        return kTellListUnreadable;
    case CopyRefusal::kListEmpty:
        return kTellListEmpty;
    case CopyRefusal::kListBadName:
        return kTellListBadName;
    case CopyRefusal::kListDuplicate:
        return kTellListDuplicate;
    case CopyRefusal::kListCount:
        return kTellListCount;
    case CopyRefusal::kNone:
        break;
    }
    return nullptr;
}

C_WString RefusalMessage(CopyPlan const& plan) {
    switch (plan.refusal) {
    case CopyRefusal::kNone:
        return C_WString();
    case CopyRefusal::kListBadName:
        return C_WString::Stringf(kTellListBadName, plan.refusal_line);
    case CopyRefusal::kListDuplicate:
        return C_WString::Stringf(kTellListDuplicate, plan.refusal_line, plan.refusal_first_line);
    case CopyRefusal::kListCount:
        return C_WString::Stringf(kTellListCount, plan.name_list ? plan.name_list->Count() : 0);
    default:
        return C_WString(RefusalText(plan.refusal));
    }
}

C_WString CopyPlan::FolderName(int index) const {
    return MakeFolderName(NamingAt(first, index), last_name);
}

C_WString CopyPlan::Target(int index) const {
    C_WString target = container;
    target += L"\\";
    target += FolderName(index);
    return target;
}

C_WString CopyPlan::TextLine(int index) const {
    CopyNaming naming = NamingAt(first, index);
    return MakeTextLine(naming, MakeFolderName(naming, last_name));
}

CopyPlan MakeCopyPlan(CopySettings const& settings, PlanDepth depth) {
    CopyPlan plan;
    // Paths are never cut: a cut path names another folder.
    const bool sourceTooLong = settings.source.Length() > kMaxCopyPathUnits;
    const bool destinationTooLong = settings.destination.Length() > kMaxCopyPathUnits;
    // The folders the system opens: "photo." is photo, and so are the names made from it.
    plan.source = OpenedFolderName(NormalizeCopyPath(settings.source));
    plan.destination = OpenedFolderName(NormalizeCopyPath(settings.destination));
    // Devices, volume names and the like: the copier is not known to take them.
    const bool sourceOdd = IsOddPathForm(plan.source);
    const bool destinationOdd = IsOddPathForm(plan.destination);
    plan.count = settings.count;
    plan.text_output = settings.text_output;
    plan.tree_only = settings.tree_only;
    plan.first.is_number = CounterIsNumber(settings.counter_kind);
    plan.first.number = settings.start;
    plan.first.width = settings.width;
    plan.first.name_order = FolderRuleCode(settings.dir_rule);
    plan.first.text_order = TextRuleCode(settings.txt_rule);
    plan.first.texts = settings.texts;

    auto refuse = [&plan](CopyRefusal why) {
        plan.refusal = why;
        return plan;
    };
    const bool run = depth == PlanDepth::kRun;
    if (!sourceTooLong && !destinationTooLong && !sourceOdd && !destinationOdd &&
        (plan.source == plan.destination || IsSelfCopy(plan.source, plan.destination, run))) {
        return refuse(CopyRefusal::kSameFolder);
    }
    if (plan.destination.Empty() || destinationTooLong || destinationOdd) {
        return refuse(CopyRefusal::kBadDestination);
    }
    // A drive root ("E:") or a dot path has no last name to name the container after: the
    // container would be no folder, the destination itself or its parent.
    plan.last_name = ktora::common::ktora_GetLastName(plan.source);
    if (plan.source.Empty() || sourceTooLong || sourceOdd || !IsFolderAt(plan.source) ||
        !IsUsableCopyName(plan.last_name)) {
        return refuse(CopyRefusal::kBadSource);
    }
    plan.container = plan.destination;
    plan.container += L"\\";
    plan.container += plan.last_name;
    // A container that is there already as a link into the source: outinfo.txt and the
    // copies would be written into the source.
    if (run && LeadsIntoSource(plan.container, plan.source)) {
        return refuse(CopyRefusal::kSameFolder);
    }

    if (settings.counter_kind == kCounterKindList) {
        // Name i of the list is copy i's counter; the start and width mean nothing here.
        plan.name_list = NameList::Load(settings.name_list, settings.loaded_list);
        NameList const& list = *plan.name_list;
        plan.refusal_line = list.ErrorLine();
        plan.refusal_first_line = list.FirstLine();
        switch (list.Error()) {
        case NameListError::kUnreadable:
            return refuse(CopyRefusal::kListUnreadable);
        case NameListError::kEmpty:
            return refuse(CopyRefusal::kListEmpty);
        case NameListError::kBadName:
            return refuse(CopyRefusal::kListBadName);
        case NameListError::kDuplicate:
            return refuse(CopyRefusal::kListDuplicate);
        case NameListError::kNone:
            break;
        }
        if (settings.count_from_list) {
            plan.count = list.Count();
        } else if (!settings.count_valid) {
            return refuse(CopyRefusal::kBadCount);
        } else if (settings.count != list.Count()) {
            return refuse(CopyRefusal::kListCount);
        }
        plan.first.names = plan.name_list;
        plan.first.number = 0;
        plan.first.width = 0;
        return refuse(CheckNames(plan));
    }
    if (!settings.count_valid || settings.count <= 0) {
        return refuse(CopyRefusal::kBadCount);
    }
    if (plan.first.is_number) {
        // The start is 0 to 999,999,999; numbers after it grow past nine digits.
        if (!settings.start_valid || settings.start < 0 || settings.start > kFirstNumberMax) {
            return refuse(CopyRefusal::kBadStart);
        }
        if (!settings.width_valid || settings.width < 0 || settings.width > kNumberWidthMax) {
            return refuse(CopyRefusal::kBadWidth);
        }
    } else {
        plan.first.number = kFirstNumberDefault;
        plan.first.width = 0;
    }
    return refuse(CheckNames(plan));
}

bool ExistingTargets::Contains(int index) const {
    return std::binary_search(indices.begin(), indices.end(), index);
}

ExistingTargets FindExistingTargets(CopyPlan const& plan) {
    ExistingTargets found;
    if (plan.IsRefused()) {
        return found;
    }
    // Targets are folder + head + counter + tail + rest, where only the listed folder's
    // entries can hold the counter.
    NameParts parts = PartsOf(plan.first, plan.last_name);
    size_t cut = parts.prefix.find_last_of(L"\\/");
    std::wstring below = cut == std::wstring::npos ? std::wstring() : parts.prefix.substr(0, cut);
    std::wstring head = cut == std::wstring::npos ? parts.prefix : parts.prefix.substr(cut + 1);
    size_t split = parts.suffix.find_first_of(L"\\/");
    std::wstring tail = parts.suffix.substr(0, split);
    std::wstring rest = split == std::wstring::npos ? std::wstring() : parts.suffix.substr(split);

    std::wstring folder = plan.container.GetString();
    if (!below.empty()) {
        folder += L"\\" + below;
    }
    std::wstring pattern = FileCallPath(C_WString((folder + L"\\*").c_str())).GetString();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        // No container (or no folder below it) yet, or a file in its place: nothing to write
        // over. A folder that is there but cannot be listed leaves the answer open.
        found.known = !IsFolderAt(C_WString(folder.c_str()));
    } else {
        do {
            std::wstring name = data.cFileName;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                continue;
            }
            if (name.size() <= head.size() + tail.size() || !HasNoCase(name, 0, head) ||
                !HasNoCase(name, name.size() - tail.size(), tail)) {
                continue;
            }
            int index = IndexOfCounter(
                plan, name.substr(head.size(), name.size() - head.size() - tail.size()));
            if (index < 0) {
                continue;
            }
            if (!rest.empty()) {
                std::wstring deeper = folder + L"\\" + name + rest;
                for (wchar_t& c : deeper) {
                    c = IsSeparator(c) ? L'\\' : c;
                }
                if (!IsFolderAt(C_WString(deeper.c_str()))) {
                    continue;
                }
            }
            found.indices.push_back(index);
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    std::sort(found.indices.begin(), found.indices.end());
    found.indices.erase(std::unique(found.indices.begin(), found.indices.end()),
                        found.indices.end());
    if (plan.text_output) {
        C_WString outInfo = plan.container;
        outInfo += L"\\outinfo.txt";
        found.out_info =
            GetFileAttributesW(FileCallPath(outInfo).GetString()) != INVALID_FILE_ATTRIBUTES;
    }
    return found;
}
