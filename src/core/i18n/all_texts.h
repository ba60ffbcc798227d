#pragma once
// Every text pair of the program in one list, for the checks that each
// exists in both languages.
#include <vector>

#include "i18n/text_pair.h"

namespace tovan {

struct Named_Text {
    const char* name;  // where it is used: a control or the constant's name
    Text_Pair text;
};

std::vector<Named_Text> All_Text_Pairs();

}  // namespace tovan
