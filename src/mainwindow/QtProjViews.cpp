#include "mainwindow/QtProjViews.h"

#include "base/Twips.h"
#include "mainwindow/MainContext.h"
#include "mainwindow/MainView.h"
#include "mainwindow/frmMain.h"
#include "ml/MLText.h"

#include <QApplication>

#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolTip>
#include <QTreeView>
#include <map>
#include <memory>

void QtProjTreeDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QtImageKeyDelegate::initStyleOption(option, index);
    if (index.data(m_greyRole).toBool())
        option->palette.setColor(QPalette::Text,
                                 option->palette.color(QPalette::Disabled, QPalette::Text));
    if (m_matchedRole >= 0 && index.data(m_matchedRole).toBool()) option->font.setBold(true);
}

bool QtContentListDelegate::TextCut(const QStyleOptionViewItem& option, const QModelIndex& index,
                                    const QWidget* view) const {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    if (o.text.isEmpty()) return false;
    const QStyle* style = view ? view->style() : QApplication::style();
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &o, view);
    // The style keeps a margin on each side of the text inside that room.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return o.fontMetrics.horizontalAdvance(o.text) > room.width() - 2 * margin;
}

bool QtContentListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                      const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QtImageKeyDelegate::helpEvent(event, view, option, index);
    if (TextCut(option, index, view)) {
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
    } else {
        QToolTip::hideText();
    }
    return true;
}

namespace QtProjViews {

void ApplyColumnWidths(QHeaderView* header, const QAbstractItemModel* model, double dpi) {
    if (!header || !model) return;
    for (int i = 0; i < model->columnCount(); ++i) {
        const QVariant w = model->headerData(i, Qt::Horizontal, NodeContentModel::WidthTwipsRole);
        if (w.isValid()) header->resizeSection(i, Twips::ToPixels(w.toDouble(), dpi));
    }
}

// The find box and its "n of m" count, and sorting by a header click.
static void AttachFind(frmMain& window, MainContext& ctx) {
    MainViewState& view = ctx.view;
    ContentFilterModel& shown = view.listShown;
    QLineEdit* box = window.txtFind();
    QLabel* count = window.lblFindCount();
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    box->setPlaceholderText(T(QStringLiteral("尋找名稱、電話、說明、群組或訊息"), 1, 22500));
    count->hide();
    QObject::connect(box, &QLineEdit::textChanged, &window,
                     [&view](const QString& text) { view.SetFindText(text); });
    const QString countText = T(QStringLiteral("%1 筆，共 %2 筆"), 1, 22501);
    QObject::connect(&shown, &ContentFilterModel::countChanged, count, [&shown, count, countText] {
        count->setVisible(shown.Filtering());
        count->setText(shown.Filtering() ? countText.arg(shown.ShownCount()).arg(shown.TotalCount())
                                         : QString());
    });

    QHeaderView* header = window.lvNodeContent()->header();
    header->setSectionsClickable(true);
    QObject::connect(header, &QHeaderView::sectionClicked, &shown,
                     [&shown](int section) { shown.SortClicked(section); });
    QObject::connect(&shown, &ContentFilterModel::sortChanged, header,
                     [header](int column, Qt::SortOrder order) {
                         header->setSortIndicatorShown(column >= 0);
                         if (column >= 0) header->setSortIndicator(column, order);
                     });
}

void Attach(frmMain& window, MainContext& ctx) {
    MainViewState& view = ctx.view;
    QTreeView* tv = window.tvProjectContent();
    QTreeView* lv = window.lvNodeContent();

    window.SetTreeModel(&view.tree, &view.treeSelection, ProjTreeModel::ImageKeyRole);
    tv->setItemDelegate(new QtProjTreeDelegate(ProjTreeModel::ImageKeyRole, ProjTreeModel::GreyRole,
                                               tv, ProjTreeModel::MatchedRole));
    QObject::connect(
        &view.tree, &ProjTreeModel::expandedChanged, tv,
        [tv](const QModelIndex& index, bool expanded) { tv->setExpanded(index, expanded); });

    window.SetListModel(&view.listShown);
    lv->setItemDelegate(new QtContentListDelegate(Qt::DecorationRole, lv));
    lv->setRootIsDecorated(false);
    // The last column reaches the window's edge; a double click on a divider fits the column
    // before it to its content (the tree view's own handling).
    lv->header()->setStretchLastSection(true);
    // The widths a person gives a set of columns are kept for it while the program runs.
    struct Kept {
        std::map<QString, QVector<int>> widths;
        bool applying = false;
    };
    const auto kept = std::make_shared<Kept>();
    const auto key = [lv] {
        const QAbstractItemModel* m = lv->model();
        QString k;
        for (int i = 0; m && i < m->columnCount(); ++i)
            k += m->headerData(i, Qt::Horizontal).toString() + u'\x1f' +
                 m->headerData(i, Qt::Horizontal, NodeContentModel::WidthTwipsRole).toString() +
                 u'\x1e';
        return k;
    };
    const auto widths = [&window, lv, kept, key] {
        kept->applying = true;
        ApplyColumnWidths(lv->header(), lv->model(), window.Dpi());
        const auto it = kept->widths.find(key());
        if (it != kept->widths.end())
            for (int i = 0; i + 1 < it->second.size(); ++i)
                lv->header()->resizeSection(i, it->second[i]);
        kept->applying = false;
    };
    QObject::connect(&view.list, &QAbstractItemModel::columnsInserted, lv, widths);
    QObject::connect(&view.list, &QAbstractItemModel::modelReset, lv, widths);
    QObject::connect(lv->header(), &QHeaderView::sectionResized, lv, [lv, kept, key] {
        if (kept->applying || lv->header()->count() == 0) return;
        QVector<int>& w = kept->widths[key()];
        w.clear();
        for (int i = 0; i < lv->header()->count(); ++i)
            w << lv->header()->sectionSize(i);
    });

    AttachFind(window, ctx);

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
    // Close Project follows Save As: both need an open project.
    if (QAction* a = Item(window, "mnuFileClose")) a->setEnabled(s.saveAsEnabled);
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
