#include "app/GuardedApplication.h"
#include "app/Program.h"

int main(int argc, char *argv[])
{
    app::GuardedApplication application(argc, argv);
    app::Program program;
    return program.run();
}
