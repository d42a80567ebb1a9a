// The main window's menus: the menu bar with its items in the designed order
// and captions, and the notification icons' one-item pop-up. Each item keeps
// its designed name as objectName (menukaki, menuend, ...).
#pragma once

#include "settings/settings.h"

class QAction;
class QMenu;
class QMenuBar;

namespace qm {

struct MainMenu {
    QAction* exportCsv = nullptr;       // menukaki: データ書き出し
    QAction* exit = nullptr;            // menuend
    QAction* refresh = nullptr;         // menurehyouji: 再表示
    QAction* graph = nullptr;           // menugraph: 温度推移グラフ
    QAction* makerMaxima = nullptr;     // menusaidai: メーカー別属性最大値の確認
    QAction* trayIcons = nullptr;       // menutask
    QAction* taskbarIcon = nullptr;     // menubar
    QAction* startMinimised = nullptr;  // menumini
    QAction* desktopAlerts = nullptr;   // menunotify
    QAction* startAtLogOn = nullptr;    // menustart
    QAction* findVolumes = nullptr;     // menuletter: ドライブレター取得
    QAction* help = nullptr;            // menuhelp
    QAction* about = nullptr;           // menuver: バージョン情報
    QAction* whatIsSmart = nullptr;     // menusmart
    QAction* homePage = nullptr;        // menuhome
    QMenu* trayPopup = nullptr;         // menupop: never in the bar
    QAction* trayExit = nullptr;        // menupopend

    // The checkable item of an option.
    QAction* OptionItem(Option option) const;
};

// Fills the bar. The pop-up menu is a child of the bar's window.
MainMenu CreateMainMenu(QMenuBar& bar);

}  // namespace qm
