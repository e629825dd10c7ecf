// Placeholder: replaced by the registry reader.
#include "settings/CustomRegistry.h"
