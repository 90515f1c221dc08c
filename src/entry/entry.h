// Ticket entry: the random fill of the ticked groups and the clearing of a
// group when its tick box is clicked.
#pragma once

#include <cstdint>

void fillCheckedGroups();
void clearGroup(std::int32_t group);
