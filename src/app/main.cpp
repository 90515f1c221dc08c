#include "app/startup.h"

int main()
{
    runProcess();
}
