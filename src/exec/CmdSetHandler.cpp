#include "exec/CmdSetHandler.h"

#include "base/Path.h"
#include "base/Text.h"
#include "cmdset/RemoteKeys.h"
#include "support/LMDebug.h"

#include <ctime>
#include <cwchar>

namespace lm {

namespace {

constexpr uint32_t kTraceContextHandler = 16;
constexpr uint32_t kWordApplication = 4461;
constexpr size_t kWindowCaptionChars = 256;

// The initial active record: empty but for its name.
tagPRGINFO InitialRecord() {
    tagPRGINFO record;
    CopyBounded(record.szName, kPrgTextChars, L"---.---");
    return record;
}

} // namespace

std::atomic<int> CCmdSetHandler::lastMenuIndex_{0};

CCmdSetHandler::CCmdSetHandler(const tagCMDSETSERVICES& cmdsets, const tagHANDLERSERVICES& services)
    : CCmdSetAdmin(cmdsets), services_(services), executor_(services.exec),
      mover_(services.exec.input, services.timers, services.exec.clock, services.mainWindow),
      sleeper_(services.exec.threads.NewEvent(true, false)), display_(services.display) {
    executor_.AttachDisplay(services.display);
    CKeymap keymap;
    BuildDefaultKeymap(keymap, Strings());
    Publish(InitialRecord(), keymap);
}

CCmdSetHandler::CCmdSetHandler(const tagCMDSETSERVICES& cmdsets, const tagCMDSETFILES& files,
                               const tagHANDLERSERVICES& services)
    : CCmdSetAdmin(cmdsets, files), services_(services), executor_(services.exec),
      mover_(services.exec.input, services.timers, services.exec.clock, services.mainWindow),
      sleeper_(services.exec.threads.NewEvent(true, false)), display_(services.display) {
    executor_.AttachDisplay(services.display);
    CKeymap keymap;
    BuildDefaultKeymap(keymap, Strings());
    Publish(InitialRecord(), keymap);
}

CCmdSetHandler::~CCmdSetHandler() {
    StopMouseMove();
    if (services_.releasesCatalog)
        Catalog().Clear();
}

// -------------------------------------------------------------------------------------------------------
// The active set

std::shared_ptr<const tagACTIVESET> CCmdSetHandler::ActiveSet() const {
    std::lock_guard lock(setLock_);
    return active_;
}

void CCmdSetHandler::Publish(std::shared_ptr<const tagACTIVESET> set) {
    std::lock_guard lock(setLock_);
    active_ = std::move(set);
}

void CCmdSetHandler::Publish(const tagPRGINFO& record, const CKeymap& keymap) {
    Publish(std::make_shared<const tagACTIVESET>(tagACTIVESET{record, keymap}));
}

void CCmdSetHandler::SetActiveSet(const tagPRGINFO& record, const CKeymap& keymap) {
    Publish(record, keymap);
}

int CCmdSetHandler::ActivateSet(const std::wstring& name) {
    auto next = std::make_shared<tagACTIVESET>();
    if (!Catalog().Lookup(name, next->record))
        return 0;
    if (!LoadKeymap(name, next->keymap, false))
        next->record = MakeNonePrgInfo();
    Publish(std::move(next));
    return 1;
}

int CCmdSetHandler::ReloadActiveSet() {
    CLMTraceScope scope(kTraceInfo, kTraceContextHandler, L"CCmdSetHandler::ReloadActiveSet");
    auto current = ActiveSet();
    const std::wstring name = current->record.szName;
    auto next = std::make_shared<tagACTIVESET>(*current);
    if (!LoadPrgInfo(name, next->record, false)) {
        next->record = tagPRGINFO();
        CopyBounded(next->record.szName, kPrgTextChars, name);
        Publish(std::move(next));
        return 0;
    }
    int result = LoadKeymap(name, next->keymap, false);
    if (!result)
        next->record = MakeNonePrgInfo();
    Publish(std::move(next));
    return result;
}

// -------------------------------------------------------------------------------------------------------
// Windows

int CCmdSetHandler::IsApplicationWindow(WindowHandle window, const tagPRGINFO& app) {
    IWindows& windows = Windows();
    if (window == kNoWindow || !windows.IsWindow(window))
        return 0;
    const std::wstring image = WindowExecutablePath(windows, services_.exec.processes, window);
    if (image.empty() || !SameText(PathFileName(image), app.szExecutable))
        return 0;
    if (app.szWindowCaption[0] &&
        !SameText(windows.WindowText(window, kWindowCaptionChars), app.szWindowCaption))
        return 0;
    return 1;
}

WindowHandle CCmdSetHandler::FindApplicationWindow(const tagPRGINFO& app) {
    if (!app.szWindowCaption[0] && !app.szExecutable[0])
        return kNoWindow;
    return CLMFindWindow(Windows(), services_.exec.processes)
        .FindWindow(app.szWindowCaption, app.szExecutable, false);
}

int CCmdSetHandler::StartApplicationOf(const tagPRGINFO& app) {
    return StartApplication(Windows(), services_.exec.processes, services_.exec.shell, app);
}

WindowHandle CCmdSetHandler::SelectRunningMenuEntry(std::shared_ptr<const tagACTIVESET>& chosen) {
    for (int index = 0; index < kMainMenuPlaces; ++index) {
        std::wstring name;
        tagPRGINFO listed;
        if (!GetMenuEntryName(index, name) || !Catalog().Lookup(name, listed))
            continue;
        WindowHandle window = FindApplicationWindow(listed);
        if (window == kNoWindow)
            continue;
        auto next = std::make_shared<tagACTIVESET>();
        if (!LoadMenuEntry(index, next->keymap, &next->record))
            continue;
        Publish(chosen = std::move(next));
        SetLastMenuIndex(index);
        return window;
    }
    return kNoWindow;
}

// -------------------------------------------------------------------------------------------------------
// Keys and commands

int CCmdSetHandler::HandleCommandForKey(int32_t key, bool autoSelect) {
    CLMTraceScope scope(kTraceInfo, kTraceContextHandler, L"CCmdSetHandler::HandleCommandForKey", L"%d", key);
    if (MenuShown())
        return MenuKey(key);

    auto set = ActiveSet();
    WindowHandle window = cachedWindow_.load();
    bool starting = false; // the set's application is coming up: its keys go to the window in front
    if (!IsApplicationWindow(window, set->record)) {
        window = FindApplicationWindow(set->record);
        if (window == kNoWindow && (starting = Starting(set)))
            LM_TRACE(kTraceInfo, L"CCmdSetHandler::HandleCommandForKey() - %ls is starting\n",
                     set->record.szName);
        if (window == kNoWindow && !starting) {
            if (!autoSelect)
                return 0;
            window = SelectRunningMenuEntry(set);
            if (window == kNoWindow && key == RCKEY_POWER) {
                std::wstring name;
                GetMenuEntryName(LastMenuIndex(), name);
                if (IOsdDisplay* display = display_.load())
                    display->ShowText(name);
                StartMenuEntry(LastMenuIndex());
                return 1;
            }
        }
    }
    cachedWindow_.store(window);

    if (window == kNoWindow && !starting && std::wcscmp(set->record.szName, kStandardSetName) != 0) {
        auto standard = std::make_shared<tagACTIVESET>();
        LoadPrgInfo(kStandardSetName, standard->record, false);
        LoadKeymap(kStandardSetName, standard->keymap, false);
        Publish(standard);
        set = std::move(standard);
    }
    const tagWINCMD* command = set->keymap.Find(key);
    return command ? RunCommand(*command, set->record, window) : 0;
}

int CCmdSetHandler::HandleCommand(const tagWINCMD& command, const tagPRGINFO& app) {
    return RunCommand(command, app, kNoWindow);
}

int CCmdSetHandler::RunCommand(const tagWINCMD& command, const tagPRGINFO& app, WindowHandle appWindow) {
    if (command.nType == CMD_OSD)
        return DisplayCommand(command, app);
    const bool mouseMove = command.nType == CMD_SYSTEM && command.nSubType == SYS_MOUSEMOVE;
    if (mouseMove && command.nParam >= MOVE_LEFT && command.nParam <= MOVE_DOWNRIGHT) {
        static constexpr int32_t kDirections[][2] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                                     {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
        std::lock_guard lock(moverLock_);
        mover_.StartMove(kDirections[command.nParam][0], kDirections[command.nParam][1]);
        return 1;
    }
    if (!mouseMove)
        StopMouseMove();
    return executor_.ExecuteCommand(command, &app, appWindow);
}

int CCmdSetHandler::HandleTextCommand(const tagWINCMD& command, const tagPRGINFO& app) {
    StopMouseMove();
    const WindowHandle window = cachedWindow_.load();
    return executor_.ExecuteTextCommand(command, &app, IsApplicationWindow(window, app) ? window : kNoWindow);
}

void CCmdSetHandler::StopMouseMove() {
    std::lock_guard lock(moverLock_);
    mover_.Stop();
}

int CCmdSetHandler::StartMenuEntry(int index) {
    CLMTraceScope scope(kTraceInfo, kTraceContextHandler, L"CCmdSetHandler::StartMenuEntry", L"%d", index);
    auto current = ActiveSet();
    // The shell's own windows are never closed.
    if (std::wcscmp(current->record.szName, kStandardSetName) != 0) {
        WindowHandle window = FindApplicationWindow(current->record);
        if (window != kNoWindow) {
            Windows().PostMsg(window, kWmSysCommand, kScClose, 0);
            sleeper_->Wait(kCloseWaitMs);
        }
    }
    auto next = std::make_shared<tagACTIVESET>(tagACTIVESET{tagPRGINFO(), current->keymap});
    if (!LoadMenuEntry(index, next->keymap, &next->record)) {
        next->record = MakeNonePrgInfo();
        Publish(std::move(next));
        return 0;
    }
    Publish(next);
    const int started = StartApplicationOf(next->record);
    if (started) {
        std::lock_guard lock(setLock_);
        starting_ = next;
        startedAt_ = services_.exec.clock.TickCount();
    }
    return started;
}

bool CCmdSetHandler::Starting(const std::shared_ptr<const tagACTIVESET>& set) {
    std::lock_guard lock(setLock_);
    return starting_.lock() == set && services_.exec.clock.TickCount() - startedAt_ < kStartingMs;
}

// -------------------------------------------------------------------------------------------------------
// The main menu and the display commands

CCmdSetHandler::MenuAction CCmdSetHandler::MenuActionOf(int32_t key, int& entry) {
    if (key >= RCKEY_0 && key <= RCKEY_9) {
        entry = key - RCKEY_0;
        return MenuAction::Pick;
    }
    switch (key) {
    case RCKEY_UP:
    case RCKEY_PAUSE:
    case RCKEY_LEFT:
    case RCKEY_PREV:
        return MenuAction::Up;
    case RCKEY_DOWN:
    case RCKEY_STOP:
    case RCKEY_RIGHT:
    case RCKEY_NEXT:
        return MenuAction::Down;
    case RCKEY_OK:
    case RCKEY_OK2:
    case RCKEY_PLAY:
        return MenuAction::OK;
    case RCKEY_BACK:
    case RCKEY_BACK2:
        return MenuAction::Back;
    default:
        return MenuAction::None;
    }
}

int CCmdSetHandler::MenuKey(int32_t key) {
    auto set = ActiveSet();
    const tagWINCMD* bound = set->keymap.Find(key);
    if (bound && bound->nType == CMD_OSD && bound->nSubType == OSD_MAINMENU) {
        TraceMessage(kTraceInfo, kTraceContextHandler, L"CCmdSetHandler::HandleCommand() - hide OSD\n");
        return HandleCommand(*bound, set->record);
    }
    int entry = -1;
    const MenuAction action = MenuActionOf(key, entry);
    if (action == MenuAction::None)
        return 0;
    TraceMessage(kTraceInfo, kTraceContextHandler, L"CCmdSetHandler::HandleCommand() - show OSD\n");
    const int32_t selected = menuSelection_.load();
    const bool none = selected < 0 || selected >= kOsdMenuEntries;
    switch (action) {
    case MenuAction::Pick:
        PickMenuEntry(entry);
        break;
    case MenuAction::Up:
    case MenuAction::Down: {
        const int32_t next = action == MenuAction::Down
                                 ? (none ? 0 : (selected + 1) % kOsdMenuEntries)
                                 : (none ? kOsdMenuEntries - 1 : (selected + 9) % kOsdMenuEntries);
        menuSelection_.store(next);
        if (IOsdDisplay* display = display_.load())
            display->SetSelection(next);
        break;
    }
    case MenuAction::OK:
        if (!none)
            PickMenuEntry(selected);
        break;
    default:
        HideMenu();
        break;
    }
    return 1;
}

void CCmdSetHandler::PickMenuEntry(int index) {
    if (index != 0)
        SetLastMenuIndex(index);
    StartMenuEntry(index);
    HideMenu();
}

void CCmdSetHandler::HideMenu() {
    menuShown_.store(0);
    if (IOsdDisplay* display = display_.load()) {
        display->SetMenuShown(false);
        display->Hide();
    }
}

int CCmdSetHandler::DisplayCommand(const tagWINCMD& command, const tagPRGINFO& app) {
    IOsdDisplay* display = display_.load();
    if (!display)
        return 0;
    switch (command.nSubType) {
    case OSD_MAINMENU:
        if (MenuShown())
            HideMenu();
        else
            ShowMainMenu(*display, ActiveSet()->record);
        return 1;
    case OSD_APPINFO:
        HideMenu();
        display->ShowText(app.szName);
        return 1;
    case OSD_TIME:
        HideMenu();
        display->ShowText(LocalTimeText(services_.exec.clock.Now()));
        return 1;
    default:
        return 0;
    }
}

void CCmdSetHandler::ShowMainMenu(IOsdDisplay& display, const tagPRGINFO& active) {
    tagOSDMENU menu;
    menu.title = Strings().Text(kWordApplication, L"Application");
    int32_t selected = -1;
    for (int index = 0; index < kMainMenuPlaces; ++index) {
        std::wstring name;
        GetMenuEntryName(index, name);
        if (!name.empty() && name == active.szName)
            selected = index;
        tagPRGINFO record;
        const bool read = !name.empty() && LoadPrgInfo(name, record, false);
        const bool missing =
            read && (!record.szAppPath[0] || !Profiles().FileSystem().GetInfo(record.szAppPath).exists);
        menu.entries[static_cast<size_t>(index)] =
            missing ? FormatBounded(kPrgTextChars, L"%ls*", name.c_str()) : name;
        menu.descriptions[static_cast<size_t>(index)] = read ? record.szDescription : L"";
    }
    display.SetMenu(menu);
    menuSelection_.store(selected);
    display.SetSelection(selected);
    menuShown_.store(1);
    display.SetMenuShown(true);
    display.ShowMenu();
}

} // namespace lm
