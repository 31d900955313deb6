// The client CD: one client's inventory written into a folder from which the client program
// runs, read-only, once the folder is burnt to a disc or copied to a stick. The engine has no
// widgets; the windows MakeCD and Make_The_CD (core/make_cd.cpp) ask and show around it.
#pragma once

#include <functional>
#include <string>
#include <vector>

// What the dynamic section of an ELF file names: the libraries it needs and its run path.
struct ElfDependencies {
    std::vector<std::string> needed;
    std::vector<std::string> runPath;  // DT_RUNPATH, else DT_RPATH, split at ':'
};
// False when the file is no 64-bit ELF file with a dynamic section.
bool readElfDependencies(const std::string &path, ElfDependencies &out);

// The client program's files in the program folder, as paths relative to it: the program, then
// the project's shared libraries it finds through an "$ORIGIN" run path (and those they need in
// turn), at the same place relative to the program. System libraries are not among them. Empty
// when the program is not there.
std::vector<std::string> clientProgramFiles(const std::string &programFolder);

// The client program's name, and the folder of the client's help inside the program's help.
extern const char *const kClientProgram;
extern const char *const kClientHelpSource;  // "help/client", copied as the CD's "help"

// True for a name this writer gives a picture: "Pic" + five digits + an optional extension.
bool isCdPictureName(const std::string &name);
// The extension a copied picture keeps: the source's suffix with its dot when it is 1 to 5
// letters or digits, else none.
std::string cdPictureExtension(const std::string &source);

// MakeCD's checks before its window opens: the settings record, the path rules (applied to the
// folder the path really names, links and ".." resolved), the refusal of a data folder, of the
// backup folder or a folder inside it, and of a folder holding record files this writer does not
// write, then the folder, and the clearing of the files an earlier CD left there by their names
// (asked first). Returns the resolved folder with a trailing "/", or an empty string when no CD
// is to be made (the message was shown).
std::string prepareClientCdFolder(const std::string &programFolder);

struct ClientCdOutcome {
    bool started = false;  // the opening reads succeeded and the folder was written
    int items = 0;         // items written into master.tps
    int pictures = 0;      // pictures copied
    std::vector<std::string> missing;  // what the folder lacks, one line each
    bool complete() const { return started && missing.empty(); }
};

// Make_The_CD's work for the active client (Glo:ActiveClientID) into `folder`, the program
// files taken from `programFolder`. `progress` hears the description of the item in hand, for
// the first item and then at most every 50 ms. Nothing is written outside `folder` or through a
// link in it; a picture field that names no JPEG, BMP or GIF file copies nothing. Every failure
// is told through the message service as it happens or listed in the outcome.
ClientCdOutcome writeClientCd(const std::string &folder, const std::string &programFolder,
                              const std::function<void(const std::string &)> &progress);

// The closing message: "CD writing complete" only when the folder holds everything.
void reportClientCd(const ClientCdOutcome &outcome, const std::string &folder);
