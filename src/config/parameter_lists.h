// The 19 parameter lists of the dialog: item texts (UTF-8), the value each item stores, and the
// two mappings between a parameter's value and its list's text. No toolkit types here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ParameterListItem {
    std::string text;
    uint32_t value;
};

struct ParameterList {
    int control_id;
    uint32_t *parameter;
    std::vector<ParameterListItem> items; // in list order, top to bottom
};

// The lists in the order the start-up gives them their texts: 1022, 1006, 1000, 1019, 1020,
// 1021, 1002, 1004, 1005, 1011, 1017, 1007, 1018, 1008, 1023, 1012, 1013, 1009, 1010.
const std::vector<ParameterList> &parameter_lists();

// The list of one control id, or nullptr.
const ParameterList *parameter_list(int control_id);

// The text of the item whose value equals the parameter; empty when no item has that value.
std::string text_for_value(const ParameterList &list);

// Sets the parameter from every item whose text equals `text`; a text that matches no item
// leaves the parameter as it was.
void apply_text(const ParameterList &list, const std::string &text);
