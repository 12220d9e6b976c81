#pragma once

namespace statements {

// The windows of the statements, as the main window's dispatch (Dpp1) opens
// them and as the editors name the neighbour to go on to. The values are the
// numbers the program has always used for them.
enum class StatementKind
{
    None = 0,             // no window: the walk through the editors ends
    Employment = 1,       // employment income tax statement
    EmployeeCount = 2,    // employee count
    Corrections = 3,      // annex of corrections
    Withholding = 4,      // withholding tax statement
    Print = 5,            // print selection
    BonusCorrections = 6, // annex of bonus corrections
};

// The neighbour of a window in the walk employment statement - employee
// count - corrections - bonus corrections - withholding statement - print
// selection; None at either end. The print selection is reached only going
// forward and leads nowhere.
enum class Direction
{
    Backward,
    Forward
};
StatementKind neighbour(StatementKind kind, Direction direction);

} // namespace statements
