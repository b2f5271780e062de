#include "app/Startup.h"

#include <cstdlib>

// The process reads nothing from its command line; of its environment only
// the toolkit reads what it needs to reach the display.
int main()
{
    std::exit(pct_main());
}
