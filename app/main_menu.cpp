#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "commands/start_at_log_on.h"

namespace qm {
namespace {

QMenu* AddMenu(QMenuBar& bar, const char* name, const char* caption) {
    QMenu* menu = bar.addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    return menu;
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption, bool checkable = false) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    action->setCheckable(checkable);
    return action;
}

}  // namespace

QAction* MainMenu::OptionItem(Option option) const {
    switch (option) {
        case Option::TrayIcons: return trayIcons;
        case Option::TaskbarIcon: return taskbarIcon;
        case Option::StartMinimised: return startMinimised;
        case Option::StartAtLogOn: return startAtLogOn;
        case Option::DesktopAlerts: return desktopAlerts;
    }
    return trayIcons;
}

MainMenu CreateMainMenu(QMenuBar& bar) {
    MainMenu menu;
    QMenu* file = AddMenu(bar, "menufile", "ファイル(&F)");
    menu.exportCsv = AddItem(file, "menukaki", "データ書き出し(&L)");
    menu.exit = AddItem(file, "menuend", "Quillmoor の終了(&E)");

    AddMenu(bar, "menuedit", "編集(&E)")->menuAction()->setVisible(false);

    QMenu* view = AddMenu(bar, "menuhyouji", "表示(&V)");
    menu.refresh = AddItem(view, "menurehyouji", "再表示(&R)");
    menu.graph = AddItem(view, "menugraph", "温度推移グラフ(&G)");
    menu.makerMaxima = AddItem(view, "menusaidai", "メーカー別属性最大値の確認");

    QMenu* tools = AddMenu(bar, "menutool", "ツール(&T)");
    menu.trayIcons = AddItem(tools, "menutask", "タスクトレイに温度アイコン表示(&T)", true);
    menu.taskbarIcon = AddItem(tools, "menubar", "タスクバーに温度アイコン表示(&I)", true);
    menu.startMinimised = AddItem(tools, "menumini", "起動時に最小化(&N)", true);
    menu.startAtLogOn = AddItem(tools, "menustart", kStartAtLogOnCaption.data(), true);
    menu.desktopAlerts = AddItem(tools, "menunotify", "異常をデスクトップに通知(&A)", true);
    menu.findVolumes = AddItem(tools, "menuletter", "ドライブレター取得(&D)");

    QMenu* help = AddMenu(bar, "menyuhelp", "ヘルプ(&H)");
    menu.help = AddItem(help, "menuhelp", "ヘルプ(&H)");
    menu.about = AddItem(help, "menuver", "バージョン情報(&V)");
    menu.whatIsSmart = AddItem(help, "menusmart", "S.M.A.R.Tとは(&S)");
    menu.homePage = AddItem(help, "menuhome", "作者ホームページ(&W)");

    menu.trayPopup = AddMenu(bar, "menupop", "ポップアップ");
    menu.trayPopup->menuAction()->setVisible(false);
    menu.trayExit = AddItem(menu.trayPopup, "menupopend", "Quillmoor の終了(&E)");
    return menu;
}

}  // namespace qm
