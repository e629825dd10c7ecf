#include "resources/StringTable.h"

std::string LoadResString(unsigned id) {
    switch (id) {
#define VELMORA_STRING(id, text)                                                                   \
    case id:                                                                                       \
        return text;
#include "resources/Strings.inc"
#undef VELMORA_STRING
    }
    return std::string();
}
