set(LAYERS "low;high")
set(LOGIC_FILES "low/Low.cpp;high/Logic.cpp")
set(WINDOW_FILES "high/Window.h")
