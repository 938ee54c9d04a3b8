// CSysConfigWnd: the system settings. Each row names a setting with its value; a tap offers the choices, and
// the choice is written to the configuration store and its file at once ("UI_Style", "Font_Size",
// "Quote_RefeWait", "Screen_Mode", "Screen_Lock", "Connect_Type"; the server's address and port together). A setting that
// cannot be saved is told and keeps its old value. Also: the branch offices ("yybsz") and removing this phone's
// sign-up, so that the next start signs up again.
#pragma once

#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "shell/NetWnd.h"

class CSysConfigWnd : public CNetWnd {
public:
    // The rows, in order; each is a push button whose id is ID_FIRST_ROW + its index.
    enum Row {
        ROW_STYLE,
        ROW_FONT,
        ROW_REFRESH,
        ROW_SCREEN,
        ROW_LOCK,
        ROW_CONNECT,
        ROW_BRANCHES,
        ROW_SIGN_UP,
        ROW_COUNT
    };
    static constexpr int ID_FIRST_ROW = 180;
    static constexpr int ID_ADDRESS = 300;
    static constexpr int ID_PORT = 301;
    static constexpr int ID_SAVE_SERVER = 190;

    CSysConfigWnd(LPCWSTR title, HWND owner);
    ~CSysConfigWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnScreenModeChanged(int orientation) override;

    // Writes one setting to the store and its file; when the file cannot be written the old value is kept in
    // memory too and the user is told. TRUE when saved.
    BOOL ApplySetting(const char* key, const char* value);
    // The address (letters, digits, "." and "-", at most 31; digits and dots alone a whole IPv4 address) and port
    // (1 to 65535) from the two edits, checked, saved and given to the shared worker's HTTP client. TRUE when
    // saved.
    BOOL SaveServer(LPCWSTR address, LPCWSTR port);
    // Asks, then deletes the sign-up values from the registry.
    void RemoveSignUp();

    // The text a row shows for the current settings.
    static CWString RowText(int row);

private:
    void ChooseFor(int row);
    void ShowRows();
    void PlaceControls();

    UiPushButton rows[ROW_COUNT];
    UiLineEdit addressEdit;
    UiLineEdit portEdit;
    UiPushButton saveServerButton;
};
