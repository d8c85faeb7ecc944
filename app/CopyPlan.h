#pragma once
// A copy run as a plan: the settings checked and turned into everything a run needs to know,
// before anything is asked or written. Both fronts preview, question and run the same plan.
//
// MakeCopyPlan is pure apart from reading the file system (the source exists, folder
// identities): no window, no question, no write. Copy i's name and summary line come
// directly from i, so a plan of 2,000,000,000 copies costs what a plan of 3 costs.
#include <vector>

#include "app/CopySettings.h"
#include "app/NamingRules.h"
#include "ktora/string/C_WString.h"

// Why a plan cannot run; each has one message (RefusalText).
enum class CopyRefusal {
    kNone,
    kSameFolder,     // the copies would land in the source
    kBadDestination, // no destination, or a container or copy name that cannot be made
    kBadSource,      // no source folder, or one with no name to give the container
    kBadCount,       // the count is no whole number from 1
    kBadJoiningText, // a joining text holds a character no folder name can hold
    kBadStart,       // the first sequence number is out of range
    kBadWidth,       // the number width is out of range
    kTrailingDot,    // a folder name would end with "." or " ", which Windows drops
    kNameTooLong,    // a folder name or a target path longer than the platform takes
    kListUnreadable, // the names file is missing, no file or unreadable
    kListEmpty,      // the names file holds no name
    kListBadName,    // a listed name no folder can have (its line in CopyPlan::refusal_line)
    kListDuplicate,  // a listed name twice (refusal_line, and the first in refusal_first_line)
    kListCount,      // a count given that is not the number of names
};

// The message of a refusal, as both fronts show it (caption kTitleMessage); null for kNone.
// The names-file refusals hold numbers: their texts come from RefusalMessage.
wchar_t const* RefusalText(CopyRefusal refusal);
struct CopyPlan;
// The message of a plan's refusal with its numbers; empty when it is not refused.
ktora::C_WString RefusalMessage(CopyPlan const& plan);

// How thoroughly MakeCopyPlan looks at the file system.
enum class PlanDepth {
    kRun,     // every check of a run: the source entered, folders compared by identity
    kPreview, // while typing: one existence test of the source, names compared as text
};

struct CopyPlan {
    CopyRefusal refusal = CopyRefusal::kNone;
    ktora::C_WString source;      // normalised source folder
    ktora::C_WString destination; // normalised destination folder
    ktora::C_WString container;   // destination + "\" + the source's last name
    ktora::C_WString last_name;   // the source's last name
    int count = 0;                // copies to make
    bool text_output = false;     // write outinfo.txt into the container
    bool tree_only = false;       // make each copy's folders only
    CopyNaming first;             // the naming of the first copy
    // With the list counter: the list as read (also when the plan refuses it), and the lines
    // a names-file refusal names.
    std::shared_ptr<NameList const> name_list;
    int refusal_line = 0;
    int refusal_first_line = 0;

    bool IsRefused() const { return refusal != CopyRefusal::kNone; }
    // Copy index's folder name (may hold "\" from a joining text), its full target path and
    // its summary line. index from 0 to count - 1.
    ktora::C_WString FolderName(int index) const;
    ktora::C_WString Target(int index) const;
    ktora::C_WString TextLine(int index) const;
};

CopyPlan MakeCopyPlan(CopySettings const& settings, PlanDepth depth = PlanDepth::kRun);

// Which of a plan's targets exist already: one listing of the folder that holds them, not a
// probe per copy.
struct ExistingTargets {
    bool known = true;        // false when the container could not be listed
    std::vector<int> indices; // copies whose target folder exists, ascending
    bool out_info = false;    // outinfo.txt exists (looked for only when text output is on)
    // Folders only: outinfo.txt is no folder, and the question says so apart.
    int Count() const { return static_cast<int>(indices.size()); }
    bool Contains(int index) const;
};

ExistingTargets FindExistingTargets(CopyPlan const& plan);
