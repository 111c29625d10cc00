#include "mainwindow/QtProjViews.h"

#include "base/Twips.h"
#include "mainwindow/MainContext.h"
#include "mainwindow/MainView.h"
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeView>

void QtProjTreeDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QtImageKeyDelegate::initStyleOption(option, index);
    if (index.data(m_greyRole).toBool())
        option->palette.setColor(QPalette::Text,
                                 option->palette.color(QPalette::Disabled, QPalette::Text));
}

namespace QtProjViews {

void ApplyColumnWidths(QHeaderView* header, const QAbstractItemModel* model, double dpi) {
    if (!header || !model) return;
    for (int i = 0; i < model->columnCount(); ++i) {
        const QVariant w = model->headerData(i, Qt::Horizontal, NodeContentModel::WidthTwipsRole);
        if (w.isValid()) header->resizeSection(i, Twips::ToPixels(w.toDouble(), dpi));
    }
}

void Attach(frmMain& window, MainContext& ctx) {
    MainViewState& view = ctx.view;
    QTreeView* tv = window.tvProjectContent();
    QTreeView* lv = window.lvNodeContent();

    window.SetTreeModel(&view.tree, &view.treeSelection, ProjTreeModel::ImageKeyRole);
    tv->setItemDelegate(
        new QtProjTreeDelegate(ProjTreeModel::ImageKeyRole, ProjTreeModel::GreyRole, tv));
    QObject::connect(
        &view.tree, &ProjTreeModel::expandedChanged, tv,
        [tv](const QModelIndex& index, bool expanded) { tv->setExpanded(index, expanded); });

    window.SetListModel(&view.list);
    lv->setRootIsDecorated(false);
    lv->header()->setStretchLastSection(false);
    const auto widths = [&window, lv] {
        ApplyColumnWidths(lv->header(), lv->model(), window.Dpi());
    };
    QObject::connect(&view.list, &QAbstractItemModel::columnsInserted, lv, widths);
    QObject::connect(&view.list, &QAbstractItemModel::modelReset, lv, widths);

    QLabel* tvCaption = window.lbltvProjectContentCaption();
    QLabel* lvCaption = window.lbllvNodeContentCaption();
    QObject::connect(&view, &MainViewState::tvCaptionChanged, tvCaption, &QLabel::setText);
    QObject::connect(&view, &MainViewState::lvCaptionChanged, lvCaption, &QLabel::setText);
    QObject::connect(&ctx.storeEvents, &StoreEvents::recentFilesChanged, &window,
                     [&window, &ctx] { ApplyFileMenu(window, MainView::mnuFile_Click(ctx)); });
}

static QAction* Item(frmMain& window, const char* name) {
    return window.findChild<QAction*>(QLatin1String(name));
}

void ApplyFileMenu(frmMain& window, const FileMenuState& s) {
    if (QAction* a = Item(window, "mnuFileSave")) a->setEnabled(s.saveEnabled);
    if (QAction* a = Item(window, "mnuFileSaveAs")) a->setEnabled(s.saveAsEnabled);
    if (QAction* a = Item(window, "mnuFileBasic")) a->setEnabled(s.basicEnabled);
    for (const char* name : {"mnuFilePrint", "mnuFileExportPdf"})
        if (QAction* a = Item(window, name)) a->setEnabled(s.sheetEnabled);
    for (const char* name : {"mnuFileImport", "mnuFileExport"})
        if (auto* m = window.findChild<QMenu*>(QLatin1String(name)))
            m->setEnabled(s.exchangeEnabled);
    static const char* const names[4] = {"mnuFileMRU_1", "mnuFileMRU_2", "mnuFileMRU_3",
                                         "mnuFileMRU_4"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = Item(window, names[i]);
        if (!a) continue;
        const RecentMenuItem& item = s.mru[size_t(i)];
        // A path's "&" is not a shortcut mark; the action keeps the path itself as its data.
        a->setText(QString(item.caption).replace(u'&', QLatin1String("&&")));
        a->setData(item.caption);
        a->setEnabled(item.enabled);
        a->setVisible(item.visible);
    }
}

QString RecentCaption(frmMain& window, int index) {
    static const char* const names[4] = {"mnuFileMRU_1", "mnuFileMRU_2", "mnuFileMRU_3",
                                         "mnuFileMRU_4"};
    if (index < 1 || index > KORVAMain::kRecentFileCount) return {};
    QAction* a = Item(window, names[index - 1]);
    if (!a) return {};
    // An item the rule never filled still shows its design-time caption.
    return a->data().isValid() ? a->data().toString() : a->text();
}

} // namespace QtProjViews
