#include "app/startup/Startup.h"

int main(int argc, char** argv)
{
    return runApplication(argc, argv);
}
