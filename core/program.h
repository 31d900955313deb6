// The program procedure of zenvik: names the help and INI files, initialises the dictionary,
// registers the record files once per process, offers a pending repair, runs the frame, and
// tears everything down again.
#pragma once

void ProgramMain();
// The registration of the record files with the file-structure manager (once per process).
void registerRecordFiles();
bool recordFilesRegistered();
// The name variables of the two files in the program (home) folder.
void nameProgramFolderFiles();
// The professional program serves its windows and reports from its settings file.
void installProfessionalEdition();
