#pragma once

// The choices of the path-template functions of the start-up part
// (settlement::AppPaths). They live here, below every subsystem, because the backup
// windows name them through their own interface without seeing the program's
// paths object.
namespace platform {

// Where a default backup archive goes: the location buttons of the backup
// and restore windows in their order.
enum class BackupPlace
{
    DataFolder = 1,      // "%AdresarDat%" or the folder Data.ini names
    UserFolder = 2,      // "%AdresarUziv%": the user's documents
    RemovableMedium = 3, // "%Disk%": a drive letter still to be set
    None = 4,            // no folder, the archive name alone
};

// How a template that names neither a drive nor a placeholder is resolved.
enum class RelativePaths
{
    Keep = 0,             // left as it is
    IntoBackupFolder = 1, // below the local data root's backup folder
    Refuse = 10,          // not a usable path
};

// Where a file dialog or the folder chooser starts.
enum class DialogStart
{
    DataRootParent = 1,     // the directory that holds the local data root
    NearestKnownFolder = 2, // the known folder the given path lies in, else its drive
    DataRootDrive = 3,      // the drive of the data root in use
    LocalDataRoot = 4,
    LocalDataRootDrive = 5,
};

} // namespace platform
