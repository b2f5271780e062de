#include "app/Startup.h"

#include <cstdlib>

// The process reads nothing from its command line or its environment.
int main()
{
    std::exit(pct_main());
}
