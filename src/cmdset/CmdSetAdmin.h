// CCmdSetAdmin: the command sets of the preset file beside the program and of the user's file, which
// holds only the user's changes. It reads application records and keymaps, writes the user's changes,
// knows which set stands at each place of the main menu, keeps the map from executable names to their
// paths on this computer, and brings old files to the current layout.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "cmdset/AppCatalog.h"
#include "cmdset/KeyNames.h"
#include "cmdset/Keymap.h"
#include "cmdset/PrgInfo.h"
#include "platform/KnownFolders.h"
#include "platform/Registry.h"
#include "support/ProfileFile.h"
#include "support/Strings.h"

namespace lm {

struct tagCMDSETSERVICES {
    CProfileStore& profiles; // both command-set files; its file system is the one used for everything
    IRegistry& registry;     // installed applications
    IKnownFolders& folders;
    IStringSource& strings; // display texts of the built-in keymaps
    CKeyNames& keyNames;    // which key IDs exist, and their English names for the files
    CAppCatalog& catalog;   // shared by every administration of the process
};

// The files of the administration when they are not the program's own (tools, tests).
struct tagCMDSETFILES {
    std::wstring presetFile;
    std::wstring userFile;
};

class CCmdSetAdmin {
public:
    // The program's files: the preset file is the executable's path with ".ini", the user file
    // "<per-user application data>\Lumora\Remote\<executable name>.usr" (folders created as needed; an
    // old user file beside the program is copied there once). Then builds the executable map, gives the
    // user file the preset's main menu when it has none, and loads the application list.
    explicit CCmdSetAdmin(const tagCMDSETSERVICES& services);
    // Given files; nothing is copied, seeded or built (call BuildExecutableMap and LoadAppList as needed).
    CCmdSetAdmin(const tagCMDSETSERVICES& services, const tagCMDSETFILES& files);
    virtual ~CCmdSetAdmin();
    CCmdSetAdmin(const CCmdSetAdmin&) = delete;
    CCmdSetAdmin& operator=(const CCmdSetAdmin&) = delete;

    // Reads the set at main-menu place index (0..9) into record and its keymap into keymap. 0 for an
    // index of 10 or more, no record, an empty place or a set that cannot be read.
    virtual int LoadMenuEntry(int index, CKeymap& keymap, tagPRGINFO* record);
    // Fills the keymap: the default keymap, overlaid by the preset's lines and then the user's (only the
    // preset's when fromPreset is set or the user file has no such set). Returns 1.
    virtual int LoadKeymap(const std::wstring& name, CKeymap& keymap, bool fromPreset);
    // Writes the set's application data and the keys that differ from the preset (or from the default
    // keymap where the preset has nothing) into the user file. 0 when no record is given.
    virtual int SaveKeymap(const CKeymap& keymap, const tagPRGINFO* record);

    // Reads the application record of a set: from the user file when it has the set (and fromPreset is
    // false), else from the preset file. 0 for a reserved section or a set without an executable.
    int LoadPrgInfo(const std::wstring& name, tagPRGINFO& record, bool fromPreset);
    // Rebuilds the shared application map and list when they are marked for reloading. Returns 1.
    int LoadAppList();
    // The set name at a main-menu place: from the user file's "Software" section, or, when the user file
    // cannot be used, the list element at that position. 1 when the place holds a name.
    int GetMenuEntryName(int index, std::wstring& name);
    // Removes a set from the application map and its section from the user file; a preset comes back.
    int DeleteCommandSet(const std::wstring& name);
    // 1 when the set is a preset and its current application data and keymap equal the preset's.
    int IsSameAsPreset(const std::wstring& name);
    // Gives the user file the preset's "Software" section when it has none. Returns 1.
    int SeedMainMenu();
    // Fills the map from executable names (lower case) to their full paths. Returns 1.
    int BuildExecutableMap();

    // At start-up: removes what writes of an earlier run left beside the two files when it ended in the
    // middle, then brings the preset file and then the user file to the current layout. False when a
    // conversion that had to run found its file missing.
    bool UpgradeLayout();
    // Brings one file to the current layout, converted in memory and replaced with one atomic write: the
    // file is the old or the upgraded one, whenever the program ends. False when a conversion that had
    // to run found the file missing (it is then created with the version only).
    bool UpgradeFileLayout(const std::wstring& file);
    // The layout version a file declares (0 when it declares none).
    int LayoutVersion(const std::wstring& file);

    const std::wstring& PresetFile() const { return presetFile_; }
    const std::wstring& UserFile() const { return userFile_; }
    // The full path of an executable name (any letter case) on this computer; empty when unknown.
    std::wstring FindExecutable(const std::wstring& executable) const;
    const std::unordered_map<std::wstring, std::wstring>& ExecutableMap() const { return exeMap_; }
    CAppCatalog& Catalog() { return services_.catalog; }
    std::shared_ptr<const tagAPPSNAPSHOT> AppList() const { return services_.catalog.Snapshot(); }
    IStringSource& Strings() { return services_.strings; }
    CKeyNames& KeyNames() { return services_.keyNames; }
    CProfileStore& Profiles() { return services_.profiles; }

    // True for "Settings", "Software", "Key names" and "Remote Buttons" (in any letter case): never a
    // command set.
    static bool IsReservedSection(const std::wstring& name);
    // The sets of a file (its sections less the reserved ones), in file order.
    std::vector<std::wstring> CommandSetNames(const std::wstring& file);

protected:
    tagCMDSETSERVICES services_;

private:
    bool SectionHasEntries(const std::wstring& file, const std::wstring& section);
    // An edit of a command-set file; a file it creates starts with the current layout version, so that
    // it is never taken for an old one.
    CProfileEdit EditFile(const std::wstring& file);
    bool FileExists(const std::wstring& path);
    void MapFolderExecutables(const std::wstring& folder);
    void MapProgramFolder(const std::wstring& root);
    void MapAppPaths(RegistryHive hive, const std::wstring& key);
    int UpgradeFile(const std::wstring& file, bool& complete);

    std::unordered_map<std::wstring, std::wstring> exeMap_;
    std::wstring presetFile_;
    std::wstring userFile_;
};

} // namespace lm
