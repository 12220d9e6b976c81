#pragma once

#include <memory>

namespace app {

class TMainForm;

// The program as the user starts it: the splash, the objects that live for
// the whole run in their order of creation, the event loop.
class Program
{
public:
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Runs until the main window closes. 1 when the start failed for want
    // of a data directory, otherwise the event loop's result.
    int run();

    // The start without the event loop: every object created, the main
    // window shown; its first activation follows from the event loop.
    void start();
    TMainForm *mainWindow() const;
    bool startedNormally() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace app
