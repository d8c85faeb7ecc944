#include "app/profile.h"

#include "ktora/file/C_IniFile.h"

using ktora::C_String;
using ktora::C_WString;

namespace {

C_WString Text(ktora::C_IniFile& ini, char const* key) {
    C_WString value;
    value = ini.GetStr(C_String(key));
    return value;
}

void SetIfGiven(C_WString const& value, C_WString* target) {
    if (!value.Empty()) {
        *target = value;
    }
}

} // namespace

bool ReadProfile(C_WString const& path, ProfileValues* values) {
    ktora::C_IniFile ini(path);
    if (!ini.IsOpen()) {
        return false;
    }
    ProfileValues v;
    v.txt_cat1 = Text(ini, "txt_cat1");
    v.txt_cat2 = Text(ini, "txt_cat2");
    v.txt_cat3 = Text(ini, "txt_cat3");
    v.txt_front = Text(ini, "txt_front");
    v.dir_cat1 = Text(ini, "dir_cat1");
    v.dir_cat2 = Text(ini, "dir_cat2");
    int dirRule = ini.GetInt(C_String("dir_rule"));
    v.dir_rule = dirRule < 0 ? 0 : dirRule;
    v.dir_type = ini.GetInt(C_String("dir_type")) == 1 ? 1 : 0;
    int txtRule = ini.GetInt(C_String("txt_rule"));
    v.txt_rule = txtRule < 0 ? 0 : txtRule;
    v.txt_enable = ini.GetInt(C_String("txt_enable")) > 0;
    int count = ini.GetInt(C_String("make_count"));
    v.make_count = count > 0 ? count : 0;
    *values = v;
    return true;
}

void ApplyProfile(ProfileValues const& v, CopySettings* s) {
    SetIfGiven(v.txt_cat1, &s->txt_cat1);
    SetIfGiven(v.txt_cat2, &s->txt_cat2);
    SetIfGiven(v.txt_cat3, &s->txt_cat3);
    SetIfGiven(v.txt_front, &s->txt_front);
    SetIfGiven(v.dir_cat1, &s->dir_cat1);
    SetIfGiven(v.dir_cat2, &s->dir_cat2);
    // An index past the end of a rule list leaves the dialog's combo without a selection,
    // which the run reads as -1.
    s->dir_rule = v.dir_rule < 3 ? v.dir_rule : -1;
    s->counter_kind = v.dir_type;
    s->txt_rule = v.txt_rule < 4 ? v.txt_rule : -1;
    s->text_output = v.txt_enable;
    if (v.make_count > 0) {
        s->count = v.make_count;
        s->count_valid = true;
    }
}
