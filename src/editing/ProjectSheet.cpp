#include "editing/ProjectSheet.h"

#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "store/DownloadHistory.h"
#include "store/ProjectColumns.h"
#include "store/ProjectSchema.h"
#include "store/StoreContext.h"

#include <QDir>
#include <QHash>

namespace ProjectSheet {
namespace {

using ADOUtil::FieldFlag;
using ADOUtil::FieldText;

// Project text in HTML: escaped, line breaks kept.
QString H(const QString& text) {
    QString t = text.toHtmlEscaped();
    t.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    t.replace(u'\n', QLatin1String("<br>"));
    return t;
}

QString Date(const QDate& d) {
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QString Cell(const QString& html, const char* tag = "td") {
    const QString t = QLatin1String(tag);
    return u'<' + t + u'>' + html + QLatin1String("</") + t + u'>';
}

QString HeaderRow(const QStringList& captions) {
    // A header row repeats at the top of each page the table continues on.
    QString row = QStringLiteral("<thead><tr style=\"background-color:#e4e4e4\">");
    for (const QString& c : captions)
        row += Cell(H(c), "th");
    return row + QLatin1String("</tr></thead>");
}

// A row of cells; a disabled entry is greyed and says so in its last cell.
QString Row(const QStringList& cells, bool disabled, const QString& disabledText) {
    QString row =
        disabled ? QStringLiteral("<tr style=\"color:#808080\">") : QStringLiteral("<tr>");
    for (const QString& c : cells)
        row += Cell(H(c));
    row +=
        Cell(disabled ? QLatin1String("<b>") + H(disabledText) + QLatin1String("</b>") : QString());
    return row + QLatin1String("</tr>");
}

// The project file's last successful downloads, from the history (none when it cannot be read).
QVector<SheetDownload> LastDownloads(const StoreContext& ctx) {
    DownloadHistory::Filter f;
    f.projectPath = QDir::toNativeSeparators(ctx.project.ProjPath);
    f.outcome = DownloadHistory::kSucceeded;
    f.limit = kDownloadsShown;
    QVector<DownloadAttempt> rows;
    QVector<SheetDownload> out;
    if (f.projectPath.isEmpty() ||
        !DownloadHistory::Query(DownloadHistory::PathOf(ctx), f, rows, nullptr))
        return out;
    for (const DownloadAttempt& a : rows)
        out.append(
            {a.serialNo, a.modelName, a.started.toString(QStringLiteral("yyyy-MM-dd HH:mm"))});
    return out;
}

const char* const kTable = "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                           "style=\"border-collapse:collapse; border-color:#909090\">";
QString DownloadsSection(const ProjectSheetData& s, const MLState& ml) {
    const MLText T{ml, QStringLiteral("ProjectSheet")};
    if (s.downloads.isEmpty()) return {};
    QString html =
        QLatin1String("<h3>") + H(T(QStringLiteral("最近的成功下載"), 1, 23001)) +
        QLatin1String("</h3>") + QLatin1String(kTable) +
        HeaderRow({T(QStringLiteral("序號"), 2, 23001), T(QStringLiteral("機型"), 3, 23001),
                   T(QStringLiteral("下載時間"), 4, 23001)});
    for (const SheetDownload& d : s.downloads)
        html += Row({d.serialNo, d.model, d.when}, false, {});
    return html + QLatin1String("</table>");
}
} // namespace

ProjectSheetData Collect(const StoreContext& ctx) {
    const OpenProject& p = ctx.project;
    ProjectSheetData s;
    s.projectName = p.ProjName;
    s.memoryCapacity = p.MaxMemoryByte;
    s.maxTelNo = p.MaxTelNo;
    if (p.Basic && p.Basic->IsOpen()) {
        auto rs = p.Basic->Clone();
        rs->MoveFirst();
        if (!rs->Eof()) {
            s.creator = FieldText(rs.get(), "CreatedBy");
            s.description = FieldText(rs.get(), "ProjectDsc");
            s.model = FieldText(rs.get(), "DeviceModelName");
            s.created = rs->Field(QStringLiteral("CreatedDate")).toDate();
            s.modified = rs->Field(QStringLiteral("ModifiedDate")).toDate();
        }
    }
    // Numbers, memory and the Unicode flag exactly as the download would send them, built from
    // the same pass over the rows.
    PhoneBook::ImageBuilder image(PhoneBook::ReadIsUnicode(p, false));
    if (p.UserGroups && p.UserGroups->IsOpen()) {
        auto rs = p.UserGroups->Clone();
        const int name = rs->FieldIndex(ProjectSchema::kGroupName);
        const int dsc = rs->FieldIndex(ProjectSchema::kGroupDsc);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString groupName = FieldText(rs.get(), name);
            image.AddGroup(groupName);
            if (groupName.isEmpty()) continue;
            s.groups.append({int(s.groups.size()) + 1, groupName, FieldText(rs.get(), dsc), {}});
        }
    }
    // Each group's name upper-cased once; of names alike, the first group.
    QHash<QString, int> groupAt;
    for (int i = 0; i < s.groups.size(); ++i) {
        const QString upper = s.groups[i].name.toUpper();
        if (!groupAt.contains(upper)) groupAt.insert(upper, i);
    }
    if (p.Users && p.Users->IsOpen()) {
        auto rs = p.Users->Clone();
        const ProjectSchema::ContactColumns col(*rs);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const SheetContact c{FieldText(rs.get(), col.name),
                                 FieldText(rs.get(), col.phone).trimmed(),
                                 FieldText(rs.get(), col.dsc), FieldFlag(rs.get(), col.disabled)};
            const QStringList groupList =
                KORVAUtil::SplitGroupList(FieldText(rs.get(), col.groups));
            image.AddContact(c.phone, c.disabled, groupList);
            bool member = false;
            for (const QString& element : groupList) {
                const QString group = element.trimmed().toUpper();
                const auto at = groupAt.constFind(group);
                if (group.isEmpty() || at == groupAt.constEnd()) continue;
                s.groups[*at].members.append(c);
                member = true;
            }
            if (!member) s.ungrouped.append(c);
        }
    }
    s.downloads = LastDownloads(ctx);
    if (p.Zones && p.Zones->IsOpen()) {
        auto rs = p.Zones->Clone();
        const ProjectSchema::ZoneColumns col(*rs);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const SheetZone z{rs->FieldAt(col.no).toInt(),      FieldText(rs.get(), col.name),
                              FieldText(rs.get(), col.dsc),     FieldText(rs.get(), col.target),
                              FieldText(rs.get(), col.alarm),   FieldText(rs.get(), col.reset),
                              FieldFlag(rs.get(), col.disabled)};
            image.AddZone(z.number, z.disabled, z.target, z.alarm, z.reset);
            s.zones.append(z);
        }
    }
    const ProjectImage built = image.Finish();
    s.isUnicode = built.isUnicode;
    s.memoryUsed = built.projectSize;
    s.phoneBookEntries = int(built.phoneBook.size());
    return s;
}

QString Html(const ProjectSheetData& s, const MLState& ml) {
    const MLText T{ml, QStringLiteral("ProjectSheet")};
    const QString disabled = T(QStringLiteral("暫停使用"), 7, 4);
    QString html = QStringLiteral("<html><body>");
    html += QLatin1String("<h2>") + H(T(QStringLiteral("專案資料表"), 1, 1)) + QLatin1String(": ") +
            H(s.projectName) + QLatin1String("</h2>");

    // Basic information and memory.
    const QString yes = T(QStringLiteral("是"), 8, 2);
    const QString no = T(QStringLiteral("否"), 9, 2);
    const QList<std::pair<QString, QString>> info{
        {T(QStringLiteral("專案名稱"), 1, 2), s.projectName},
        {T(QStringLiteral("專案建立者"), 2, 2), s.creator},
        {T(QStringLiteral("專案說明"), 3, 2), s.description},
        {T(QStringLiteral("機型"), 4, 2), s.model},
        {T(QStringLiteral("專案建立日期"), 5, 2), Date(s.created)},
        {T(QStringLiteral("專案變更日期"), 6, 2), Date(s.modified)},
        {T(QStringLiteral("全部訊息皆為Unicode"), 7, 2), s.isUnicode ? yes : no},
        {T(QStringLiteral("電話簿筆數"), 1, 3),
         T(QStringLiteral("%1 / 最多 %2"), 2, 3).arg(s.phoneBookEntries).arg(s.maxTelNo)},
    };
    html += QLatin1String(kTable);
    for (const auto& [caption, value] : info)
        html += QLatin1String("<tr>") +
                Cell(QLatin1String("<b>") + H(caption) + QLatin1String("</b>")) + Cell(H(value)) +
                QLatin1String("</tr>");
    const int percent =
        s.memoryCapacity > 0 ? (s.memoryUsed * 100 + s.memoryCapacity - 1) / s.memoryCapacity : 0;
    QString memory = H(T(QStringLiteral("%1 / %2 位元組 (%3%)"), 4, 3)
                           .arg(s.memoryUsed)
                           .arg(s.memoryCapacity)
                           .arg(percent));
    if (s.memoryUsed > s.memoryCapacity)
        memory += QLatin1String(" <b style=\"color:#c00000\">") +
                  H(T(QStringLiteral("超過機型的記憶體容量!"), 5, 3)) + QLatin1String("</b>");
    html += QLatin1String("<tr>") +
            Cell(QLatin1String("<b>") + H(T(QStringLiteral("記憶體使用量"), 3, 3)) +
                 QLatin1String("</b>")) +
            Cell(memory) + QLatin1String("</tr></table>");

    // Groups with their members.
    const QStringList contactColumns{
        T(QStringLiteral("連絡人"), 1, 4), T(QStringLiteral("電話號碼"), 2, 4),
        T(QStringLiteral("說明"), 3, 4), T(QStringLiteral("狀態"), 4, 4)};
    const auto contacts = [&](const QVector<SheetContact>& list) {
        if (list.isEmpty())
            return QLatin1String("<p><i>") + H(T(QStringLiteral("(無連絡人)"), 5, 4)) +
                   QLatin1String("</i></p>");
        QString t = QLatin1String(kTable) + HeaderRow(contactColumns);
        for (const SheetContact& c : list)
            t += Row({c.name, c.phone, c.description}, c.disabled, disabled);
        return t + QLatin1String("</table>");
    };
    html +=
        QLatin1String("<h3>") + H(T(QStringLiteral("連絡人群組"), 1, 5)) + QLatin1String("</h3>");
    if (s.groups.isEmpty())
        html += QLatin1String("<p><i>") + H(T(QStringLiteral("(無群組)"), 2, 5)) +
                QLatin1String("</i></p>");
    for (const SheetGroup& g : s.groups) {
        html += QLatin1String("<h4>") +
                H(T(QStringLiteral("群組 %1: %2"), 3, 5).arg(g.number).arg(g.name));
        if (!g.description.isEmpty()) html += QLatin1String(" (") + H(g.description) + u')';
        html += QLatin1String("</h4>") + contacts(g.members);
    }
    if (!s.ungrouped.isEmpty())
        html += QLatin1String("<h4>") + H(T(QStringLiteral("未加入群組的連絡人"), 4, 5)) +
                QLatin1String("</h4>") + contacts(s.ungrouped);

    // Zones.
    html += QLatin1String("<h3>") + H(T(QStringLiteral("警報區"), 1, 6)) + QLatin1String("</h3>") +
            QLatin1String(kTable) +
            HeaderRow({T(QStringLiteral("編號"), 2, 6), T(QStringLiteral("名稱"), 3, 6),
                       T(QStringLiteral("通知群組"), 4, 6), T(QStringLiteral("警報發起訊息"), 5, 6),
                       T(QStringLiteral("警報復歸訊息"), 6, 6), T(QStringLiteral("狀態"), 4, 4)});
    for (const SheetZone& z : s.zones) {
        QString target = z.target;
        if (target.toUpper() == QLatin1String("ALL"))
            target = T(QStringLiteral("所有連絡人群組"), 7, 6);
        else if (target.isEmpty())
            target = T(QStringLiteral("(無)"), 8, 6);
        QString name = z.name;
        if (!z.description.isEmpty()) name += QLatin1String("\n(") + z.description + u')';
        html +=
            Row({QString::number(z.number), name, target, z.alarm, z.reset}, z.disabled, disabled);
    }
    return html + QLatin1String("</table>") + DownloadsSection(s, ml) +
           QLatin1String("</body></html>");
}

QString Footer(const MLState& ml, const QString& projectName, int page, int pages) {
    const MLText T{ml, QStringLiteral("ProjectSheet")};
    return projectName + QLatin1String("    ") +
           T(QStringLiteral("第 %1 頁，共 %2 頁"), 1, 7).arg(page).arg(pages);
}

} // namespace ProjectSheet
