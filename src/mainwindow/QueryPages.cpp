// The query page control behind the page interface.
#include "IQueryPage.h"

QueryPageFactory defaultQueryPageFactory() { return {}; }
