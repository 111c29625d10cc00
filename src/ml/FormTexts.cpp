#include "ml/FormTexts.h"

#include <QMap>

namespace FormTexts {
namespace {
using List = QVector<FormTextItem>;
const QString C = QStringLiteral("Caption");
const QString T = QStringLiteral("Text");

FormTextItem Cap(const char* path) { return {QString::fromUtf8(path), C}; }

QMap<QString, List> BuildTable() {
    QMap<QString, List> t;
    t[QStringLiteral("frmToolsOptions")] = {
        {QString(), C}, Cap("Label1"), Cap("Label2"), Cap("Label3"), Cap("Frame1"),
        Cap("cmdSetDefault"), Cap("CmdOK"), Cap("cmdExit"), Cap("sstToolsOptions")};
    t[QStringLiteral("frmMessage")] = {{QString(), C}, Cap("lblMessage")};
    return t;
}

const QMap<QString, List>& Table() {
    static const QMap<QString, List> table = BuildTable();
    return table;
}
} // namespace

QVector<FormTextItem> ItemsOf(const QString& formName) { return Table().value(formName); }
QStringList Forms() { return Table().keys(); }
} // namespace FormTexts
