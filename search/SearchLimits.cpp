#include "search/SearchLimits.h"

SearchLimits Limits;
