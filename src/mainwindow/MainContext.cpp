#include "mainwindow/MainContext.h"

MainContext::MainContext(Ui& u) : DeviceContext(u) {
    // The project came or went: captions, tree, list and the project-name panel follow.
    const auto refresh = [this] { MainView::RefreshFormObj(*this); };
    QObject::connect(&storeEvents, &StoreEvents::projectOpened, &view, refresh);
    QObject::connect(&storeEvents, &StoreEvents::projectClosed, &view, refresh);
    // Undo and redo put rows back: every view of them is rebuilt, the selection kept.
    QObject::connect(&storeEvents, &StoreEvents::projectRestored, &view,
                     [this] { MainView::RestoreViews(*this); });

    // The tree follows the editing operations' leaves.
    editEvents.selectedTag = [this] { return view.tree.Tag(MainView::SelectedNode(view)); };
    QObject::connect(&editEvents, &EditEvents::leafAdded, &view,
                     [this](const QString& branchTag, const QString& caption,
                            const QString& imageKey, const QString& tag) {
                         const QModelIndex branch = MainView::FindNodeByTag(view, branchTag);
                         if (!branch.isValid()) return;
                         const QModelIndex leaf =
                             view.tree.AddNode(branch, caption, QString(), imageKey, tag);
                         view.tree.SetExpanded(branch, true);
                         MainView::SelectNode(view, leaf);
                     });
    QObject::connect(&editEvents, &EditEvents::leafRemoved, &view, [this](const QString& tag) {
        const QModelIndex leaf = MainView::FindNodeByTag(view, tag);
        if (leaf.isValid()) view.tree.RemoveNode(leaf);
    });
    QObject::connect(&editEvents, &EditEvents::leafRenamed, &view,
                     [this](const QString& oldTag, const QString& caption, const QString& newTag) {
                         const QModelIndex leaf = MainView::FindNodeByTag(view, oldTag);
                         if (!leaf.isValid()) return;
                         view.tree.SetCaption(leaf, caption);
                         view.tree.SetTag(leaf, newTag);
                     });
    QObject::connect(&editEvents, &EditEvents::leafSelected, &view, [this](const QString& tag) {
        const QModelIndex leaf = MainView::FindNodeByTag(view, tag);
        if (leaf.isValid()) MainView::SelectNode(view, leaf);
    });
    QObject::connect(&editEvents, &EditEvents::leafGreyed, &view,
                     [this](const QString& tag, bool grey) {
                         const QModelIndex leaf = MainView::FindNodeByTag(view, tag);
                         if (leaf.isValid()) view.tree.SetGrey(leaf, grey);
                     });
    QObject::connect(&editEvents, &EditEvents::contentChanged, &view,
                     [this] { MainView::mklvNodeContent(*this); });
}
