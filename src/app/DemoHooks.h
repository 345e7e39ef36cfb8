#pragma once
// What the demo and screenshot scripts ask of a running window, through the environment:
//   ONDREL_DEMO_AUTOSEARCH=1   press Search shortly after start; honoured only inside the
//                              network lab (ONDREL_NETLAB=1), where a search reaches nobody
//   ONDREL_SCREENSHOT=FILE     after ONDREL_SCREENSHOT_DELAY_MS (default 2500) save the window
//                              as a PNG, print the file's path and close

class QString;

namespace ondrel {

class COndrelDlg;

class DemoHooks {
public:
    static void Install(COndrelDlg& dialog);
    static bool SaveScreenshot(COndrelDlg& dialog, const QString& path);
};

} // namespace ondrel
