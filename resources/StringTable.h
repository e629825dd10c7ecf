// Texts of the program's string table.
#pragma once

#include <string>

constexpr unsigned kStrAlarmNumber = 65409; // "Unable to get alarm number :"
constexpr unsigned kStrIndexOutOfBounds = 65410;
constexpr unsigned kStrInvalidDataType = 65427;
constexpr unsigned kStrFailedToGetData = 65435;

// The text of a string table entry; empty when there is none.
std::string LoadResString(unsigned id);
