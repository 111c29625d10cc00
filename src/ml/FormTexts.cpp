#include "ml/FormTexts.h"

#include <QMap>

namespace FormTexts {
namespace {
using List = QVector<FormTextItem>;
const QString C = QStringLiteral("Caption");
const QString T = QStringLiteral("Text");

FormTextItem Cap(const char* path) {
    return {QString::fromUtf8(path), C};
}

// The main window: its caption, the two pane captions, the status panels, and every menu
// item in menu order (the pop-up's last four items take their texts from its rules only).
List MainWindowItems() {
    List l = {{QString(), C},
              Cap("lbllvNodeContentCaption"),
              Cap("lbltvProjectContentCaption"),
              {QStringLiteral("sbStatusBar.Panels(1)"), T},
              {QStringLiteral("sbStatusBar.Panels(2)"), T},
              {QStringLiteral("sbStatusBar.Panels(3)"), T}};
    for (const char* menu : {"mnuFile",
                             "mnuFileNew",
                             "mnuFileOpen",
                             "mnuFileSave",
                             "mnuFileSaveAs",
                             "mnuFileClose",
                             "mnuFileBar0",
                             "mnuFileBasic",
                             "mnuFilePrint",
                             "mnuFileExportPdf",
                             "mnuFileCompare",
                             "mnuFileImport",
                             "mnuFileImportContacts",
                             "mnuFileImportZones",
                             "mnuFileExport",
                             "mnuFileExportContacts",
                             "mnuFileExportZones",
                             "mnuFileBar1",
                             "mnuFileMRU(1)",
                             "mnuFileMRU(2)",
                             "mnuFileMRU(3)",
                             "mnuFileMRU(4)",
                             "mnuFileBar2",
                             "mnuFileExit",
                             "mnuProj",
                             "mnuProjAddGroupList",
                             "mnuProjAddTelList",
                             "mnuProjBar0",
                             "mnuProjEditGroupList",
                             "mnuProjEditTelList",
                             "mnuProjEditZoneList",
                             "mnuProjBar1",
                             "mnuProjDeleteGroupList",
                             "mnuProjDeleteTelList",
                             "mnuEdit",
                             "mnuEditUndo",
                             "mnuEditRedo",
                             "mnuEditFind",
                             "mnuView",
                             "mnuViewToolbar",
                             "mnuViewStatusBar",
                             "mnuViewBar0",
                             "mnuListViewMode(0)",
                             "mnuListViewMode(1)",
                             "mnuListViewMode(2)",
                             "mnuListViewMode(3)",
                             "mnuViewBar1",
                             "mnuViewArrangeIcons",
                             "mnuViewBar2",
                             "mnuViewRefresh",
                             "mnuViewCommLog",
                             "mnuViewDownloadHistory",
                             "mnuViewBar3",
                             "mnuViewWebBrowser",
                             "mnuTools",
                             "mnuToolsOptions",
                             "mnuDevice",
                             "mnuDeviceConnect",
                             "mnuDeviceDisconnect",
                             "mnuDeviceBar0",
                             "mnuDeviceDownLoad",
                             "mnuDeviceDownLoadMany",
                             "mnuDeviceSetting",
                             "mnuDeviceCompare",
                             "mnuDeviceBar1",
                             "mnuHelp",
                             "mnuHelpContents",
                             "mnuHelpSearchForHelpOn",
                             "mnuHelpBar0",
                             "mnuHelpAbout",
                             "mnuProjConent",
                             "mnuProjConentAddGroupList",
                             "mnuProjConentAddTelList",
                             "mnuProjConentBar1",
                             "mnuProjConentDeleteTelList",
                             "mnuProjConentDeleteGroupList",
                             "mnuProjConentEditGroupList",
                             "mnuProjConentEditTelList",
                             "mnuProjConentEditZoneList",
                             "mnuProjConentBar3",
                             "mnuProjConentBulkDelete",
                             "mnuProjConentBulkEnable",
                             "mnuProjConentBulkDisable",
                             "mnuProjConentBulkAddGroup",
                             "mnuProjConentBulkMoveGroup",
                             "mnuProjConentBulkRemoveGroup",
                             "mnuProjConentBulkZoneTarget",
                             "mnuProjConentBulkZoneEnable",
                             "mnuProjConentBulkZoneDisable",
                             "mnuProjConentBulkZoneClearReset"})
        l.append(Cap(menu));
    return l;
}

QMap<QString, List> BuildTable() {
    QMap<QString, List> t;
    t[QStringLiteral("frmToolsOptions")] = {
        {QString(), C},
        Cap("Label1"),
        Cap("Label2"),
        Cap("Label3"),
        Cap("Frame1"),
        Cap("cmdSetDefault"),
        Cap("CmdOK"),
        Cap("cmdExit"),
        Cap("sstToolsOptions"),
        {QStringLiteral("sstToolsOptions"), QStringLiteral("TabCaption(1)")},
        Cap("lblLanguage")};
    t[QStringLiteral("frmMessage")] = {{QString(), C}, Cap("lblMessage")};
    t[QStringLiteral("frmComPort")] = {{QString(), C}, Cap("Label1"), Cap("CmdOK"), Cap("cmdExit")};
    t[QStringLiteral("frmMultiDownload")] = {{QString(), C}, Cap("Label1"),   Cap("Label2"),
                                             Cap("cmdAdd"),  Cap("cmdStart"), Cap("cmdCancel"),
                                             Cap("cmdClose")};
    t[QStringLiteral("frmCommSetting")] = {
        {QString(), C}, {QStringLiteral("sstCommunication"), QStringLiteral("TabCaption(0)")},
        Cap("Label1"),  Cap("Label2"),
        Cap("Label3"),  Cap("Label4"),
        Cap("Label5"),  Cap("Label6"),
        Cap("Label7"),  Cap("CmdOK"),
        Cap("cmdExit")};
    t[QStringLiteral("frmMain")] = MainWindowItems();
    t[QStringLiteral("frmSplash")] = {
        {QString(), C},           Cap("Label2"),    Cap("Label1"), Cap("lblProductName"),
        Cap("lblCompanyProduct"), Cap("lblVersion")};
    t[QStringLiteral("frmAbout")] = {
        {QString(), C}, Cap("cmdOK"), Cap("Label1"), Cap("lblTitle"), Cap("lblVersion")};
    t[QStringLiteral("frmDebug")] = {
        {QString(), C}, Cap("Label1"), Cap("Label2"), Cap("cmdRead"), Cap("cmdClose")};
    t[QStringLiteral("frmCommLog")] = {
        {QString(), C}, Cap("cmdCopy"), Cap("cmdSave"), Cap("cmdClear"), Cap("cmdClose")};
    t[QStringLiteral("frmKeyInString")] = {Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmEditGroupList")] = {{QString(), C},   Cap("Label1"), Cap("Label2"),
                                             Cap("cmdRename"), Cap("cmdOK"),  Cap("cmdCancel")};
    t[QStringLiteral("frmEditTelList")] = {
        {QString(), C},      Cap("Label1"),   Cap("Label2"),
        Cap("Label3"),       Cap("Label4"),   Cap("cmdTelUserRename"),
        Cap("chkIsDisable"), Cap("cmdAdd"),   Cap("cmdDelete"),
        Cap("cmdOK"),        Cap("cmdCancel")};
    t[QStringLiteral("frmAllUserGroups")] = {
        {QString(), C}, Cap("lblCaption"), Cap("cmdAddGroup"), Cap("cmbOK"), Cap("cmbCancel")};
    t[QStringLiteral("frmEditZoneList")] = {
        {QString(), C}, Cap("Label1"), Cap("Label2"),       Cap("Label3"), Cap("Label4"),
        Cap("Label5"),  Cap("Label6"), Cap("chkIsDisable"), Cap("cmdOK"),  Cap("cmdCancel")};
    t[QStringLiteral("frmAddUser")] = {
        {QString(), C}, Cap("lblUserName"), Cap("lblUserGroup"), Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmAddUserGroup")] = {{QString(), C},      Cap("lblUserTitle"),
                                            Cap("lblUserGroup"), Cap("cmdAddGroup"),
                                            Cap("cmdOK"),        Cap("cmdCancel")};
    t[QStringLiteral("frmCsvImport")] = {
        {QString(), C}, Cap("chkCreateGroups"), Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmMoveUsers")] = {
        {QString(), C}, Cap("Label1"), Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmPickGroup")] = {{QString(), C}, Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmAddOtherUser")] = {
        {QString(), C}, Cap("Label1"), Cap("cmdOK"), Cap("cmdCancel")};
    t[QStringLiteral("frmProjBasic")] = {
        {QString(), C},
        Cap("CmdOK"),
        Cap("CmdCancel"),
        {QStringLiteral("SSTab1"), QStringLiteral("TabCaption(0)")},
        {QStringLiteral("SSTab1.txtPorjName"), T},
        {QStringLiteral("SSTab1.txtProjDsc"), T},
        Cap("SSTab1.chkIsUnicode"),
        Cap("SSTab1.Label1"),
        Cap("SSTab1.Label2"),
        Cap("SSTab1.Label4"),
        Cap("SSTab1.Label3"),
        Cap("SSTab1.lblCreatedDate"),
        Cap("SSTab1.lblModifiedDate")};
    return t;
}

const QMap<QString, List>& Table() {
    static const QMap<QString, List> table = BuildTable();
    return table;
}
} // namespace

QVector<FormTextItem> ItemsOf(const QString& formName) {
    return Table().value(formName);
}
QStringList Forms() {
    return Table().keys();
}
} // namespace FormTexts
