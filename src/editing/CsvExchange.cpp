#include "editing/CsvExchange.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "editing/EditContext.h"
#include "editing/EditTelListForm.h"
#include "editing/EditTransaction.h"
#include "editing/EditWindows.h"
#include "editing/EditZoneListForm.h"
#include "editing/KORVAUtil.h"
#include "editing/PhoneBook.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/ProjectColumns.h"
#include "store/ProjectSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace CsvExchange {
namespace {
using VBUtil::kCrLf;
const QString kModule = QStringLiteral("CsvExchange");
// A project's contacts or zones are a few hundred rows; a file larger than this is not one.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

// Column positions, in file order.
enum ContactColumn { cName, cPhone, cGroups, cDisabled, cUserDsc, kContactColumns };
enum ZoneColumn { zNo, zName, zDsc, zAlarm, zReset, zTarget, zDisabled, kZoneColumns };

using ADOUtil::FieldText;
QString YesText(const MLState& ml) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    return T(QStringLiteral("是"), 1, 3);
}
QString NoText(const MLState& ml) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    return T(QStringLiteral("否"), 2, 3);
}
QString AllGroupsText(const MLState& ml) {
    const MLText TEditZoneList{ml, QStringLiteral("EditZoneList")};
    return TEditZoneList(QStringLiteral("所有連絡人群組"), 1, 315);
}

// A word as it may be written in any language: the applied text and every stored one.
QStringList Words(const MLState& ml, const QString& applied, int index, int messageNo,
                  const QString& module) {
    QStringList words = MLUtil::TextsInEveryLanguage(ml, index, messageNo, module);
    words << applied;
    return words;
}
bool IsOneOf(const QString& text, const QStringList& words) {
    for (const QString& w : words)
        if (text.compare(w.trimmed(), Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The dialogs' rule functions tell a person why they refuse. Here their messages become the
// row's reason: the project and the texts are lent to a context whose Ui only listens, and
// given back when the probe ends. Nothing else runs meanwhile.
class ListeningUi : public Ui {
public:
    QStringList heard;
    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString&) override {
        heard << QString(prompt).replace(kCrLf, QStringLiteral(" "));
        return MsgButtons(style) == vbYesNo || MsgButtons(style) == vbYesNoCancel ? vbNo : vbOK;
    }
    QString KeyInString(const QString&, const QString&, const QString&, const QString&,
                        int) override {
        return KeyInCancelMarker();
    }
    std::optional<QString> FileDialog(FileDialogKind, const FileDialogSetup&) override {
        return std::nullopt;
    }
    void SetStatusText(const QString&, const QString&) override {}
    void SetBusy(bool) override {}
    void DoEvents() override {}
    void ShowProgress(const QString&, const QString&) override {}
    void CloseProgress() override {}
    bool ShowModal(Window) override { return false; }
};

class RuleProbe {
public:
    explicit RuleProbe(EditContext& ctx) : m_owner(ctx), m_ctx(m_ui) {
        std::swap(m_ctx.project, m_owner.project);
        std::swap(m_ctx.ml, m_owner.ml);
    }
    ~RuleProbe() {
        std::swap(m_ctx.project, m_owner.project);
        std::swap(m_ctx.ml, m_owner.ml);
    }
    RuleProbe(const RuleProbe&) = delete;
    RuleProbe& operator=(const RuleProbe&) = delete;

    EditContext& ctx() { return m_ctx; }
    // The reason of a refusal: what the rule said, or empty when it passed.
    template <typename Rule> QString Refusal(Rule&& rule) {
        m_ui.heard.clear();
        if (rule(m_ctx)) return {};
        return m_ui.heard.join(u' ');
    }

private:
    EditContext& m_owner;
    ListeningUi m_ui;
    EditContext m_ctx;
};

// The stored spelling of a group the names hold (letter case ignored), or empty.
QString Find(const QStringList& names, const QString& name) {
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return {};
}

// Names in their order with an index by case key: Find as above, without a scan.
class NameList {
public:
    void Append(const QString& name) {
        m_names << name;
        const QString key = VBUtil::CaseKey(name);
        if (!m_first.contains(key)) m_first.insert(key, name);
    }
    void Append(const QStringList& names) {
        for (const QString& n : names)
            Append(n);
    }
    QString Find(const QString& name) const { return m_first.value(VBUtil::CaseKey(name)); }
    const QStringList& Names() const { return m_names; }

private:
    QStringList m_names;
    QHash<QString, QString> m_first; // case key -> the first spelling
};

QStringList StoredGroups(const OpenProject& p) {
    QStringList groups;
    if (!p.UserGroups || !p.UserGroups->IsOpen()) return groups;
    auto copy = p.UserGroups->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
        groups << FieldText(copy.get(), QStringLiteral("GroupName"));
    return groups;
}

// Everything the judge reads of the project, read once.
struct StoredContact {
    QString name, phone, groups, dsc;
    bool disabled = false;
};
struct StoredZone {
    QString no, name, dsc, alarm, reset, target;
    bool disabled = false;
};

QVector<StoredContact> StoredContacts(const OpenProject& p) {
    QVector<StoredContact> out;
    if (!p.Users || !p.Users->IsOpen()) return out;
    auto c = p.Users->Clone();
    const ProjectSchema::ContactColumns col(*c);
    out.reserve(c->RecordCount());
    for (c->MoveFirst(); !c->Eof(); c->MoveNext())
        out.append({FieldText(c.get(), col.name), FieldText(c.get(), col.phone),
                    FieldText(c.get(), col.groups), FieldText(c.get(), col.dsc),
                    ADOUtil::FieldFlag(c.get(), col.disabled)});
    return out;
}

// A zone's number as the editor shows it: a whole number held to 16 bits.
QString ZoneNumber(const QVariant& stored) {
    bool whole = false;
    const qlonglong n = stored.typeId() == QMetaType::LongLong ? stored.toLongLong(&whole) : 0;
    if (!whole) return QString::number(VBUtil::ToWhole16(ADOUtil::NullToStr(stored)));
    return QString::number(std::clamp<qlonglong>(n, -32768, 32767));
}

QVector<StoredZone> StoredZones(const OpenProject& p) {
    QVector<StoredZone> out;
    if (!p.Zones || !p.Zones->IsOpen()) return out;
    auto z = p.Zones->Clone();
    const ProjectSchema::ZoneColumns col(*z);
    out.reserve(z->RecordCount());
    for (z->MoveFirst(); !z->Eof(); z->MoveNext())
        out.append({ZoneNumber(z->FieldAt(col.no)), FieldText(z.get(), col.name),
                    FieldText(z.get(), col.dsc), FieldText(z.get(), col.alarm),
                    FieldText(z.get(), col.reset), FieldText(z.get(), col.target),
                    ADOUtil::FieldFlag(z.get(), col.disabled)});
    return out;
}

// The verdicts of one file, row after row; later rows see the earlier accepted ones.
class RowJudge {
public:
    RowJudge(EditContext& ctx, Table table, const ColumnMap& columns, bool createGroups)
        : m_probe(ctx), m_ml(m_probe.ctx().ml), m_table(table), m_columns(columns),
          m_createGroups(createGroups) {
        const OpenProject& p = m_probe.ctx().project;
        m_groups.Append(StoredGroups(p));
        // A file of one table is judged against that table only.
        if (table == Table::Contacts) m_contacts = StoredContacts(p);
        // The counts KORVAUtil's CountUsers and CountNotifyTargets make, from the same read.
        m_users = 0;
        m_targets = 0;
        for (int i = 0; i < m_contacts.size(); ++i) {
            const QString key = VBUtil::CaseKey(m_contacts[i].name);
            if (!m_contactAt.contains(key)) m_contactAt.insert(key, i);
            if (!m_contacts[i].name.isEmpty()) ++m_users;
            m_targets += int(KORVAUtil::SplitGroupList(m_contacts[i].groups).size());
        }
        m_probe.ctx().NotifyTargetCount = m_targets;
        if (table == Table::Zones) m_zones = StoredZones(p);
        m_unicode = PhoneBook::ReadIsUnicode(p, false);
        for (int i = 0; i < m_zones.size(); ++i)
            if (!m_zoneAt.contains(m_zones[i].no)) m_zoneAt.insert(m_zones[i].no, i);
        m_header = Header(m_ml, table);
        m_yes = Words(m_ml, YesText(m_ml), 1, 3, kModule);
        m_no = Words(m_ml, NoText(m_ml), 2, 3, kModule);
        m_all = Words(m_ml, AllGroupsText(m_ml), 1, 315, QStringLiteral("EditZoneList"));
    }

    RowVerdict Row(int line, const QStringList& record) {
        const MLText T{m_ml, QStringLiteral("CsvExchange")};
        RowVerdict v;
        v.line = line;
        v.key = Cell(record, m_table == Table::Contacts ? int(cName) : int(zNo)).trimmed();
        if (record.size() != m_fieldCount) {
            v.details = T(QStringLiteral("此列有"), 1, 25) + QString::number(record.size()) +
                        T(QStringLiteral("個欄位，標題列有"), 2, 25) +
                        QString::number(m_fieldCount) + T(QStringLiteral("個。"), 3, 25);
            return v;
        }
        if (m_table == Table::Contacts)
            ContactRow(record, v);
        else
            ZoneRow(record, v);
        return v;
    }
    void SetFieldCount(int n) { m_fieldCount = n; }
    QStringList NewGroups() const { return m_newGroups.Names(); }

private:
    bool Has(int column) const { return m_columns.value(column, -1) >= 0; }
    // The cell without the prefix the export puts before what a spreadsheet would compute.
    QString Cell(const QStringList& record, int column) const {
        const int at = m_columns.value(column, -1);
        if (at < 0 || at >= record.size()) return {};
        return CsvUtil::Unguard(record[at], m_table == Table::Contacts && column == cPhone);
    }
    QString Probe(const std::function<bool(EditContext&)>& rule) { return m_probe.Refusal(rule); }
    // True when the key was not among the keys yet; it is from now on.
    static bool SeenFirst(QSet<QString>& keys, const QString& key) {
        const qsizetype before = keys.size();
        keys.insert(key);
        return keys.size() != before;
    }

    // "0"/"1" or yes/no in any language; nullopt for anything else.
    std::optional<bool> ParseFlag(const QString& cell) const {
        const QString t = cell.trimmed();
        if (t.isEmpty() || t == u'0' || IsOneOf(t, m_no)) return false;
        if (t == u'1' || IsOneOf(t, m_yes)) return true;
        return std::nullopt;
    }
    QString BadFlag(const QString& cell) const {
        const MLText T{m_ml, QStringLiteral("CsvExchange")};
        return T(QStringLiteral("無法辨識的暫停使用值["), 1, 24) + cell +
               T(QStringLiteral("]，請填 0、1、是或否。"), 2, 24);
    }

    // The stored spelling of a group; a group the file names first is checked by the group
    // rules and, when it passes, created. Empty with the reason set when refused.
    QString Group(const QString& name, QStringList& rowNew, QString& reason) {
        const MLText T{m_ml, QStringLiteral("CsvExchange")};
        QString known = m_groups.Find(name);
        if (known.isEmpty()) known = m_newGroups.Find(name);
        if (known.isEmpty()) known = Find(rowNew, name);
        if (!known.isEmpty()) return known;
        if (!m_createGroups) {
            reason = T(QStringLiteral("連絡人群組["), 1, 23) + name +
                     T(QStringLiteral("]不存在，勾選建立不存在的群組即可建立。"), 2, 23);
            return {};
        }
        reason = Probe([&](EditContext& c) { return ValidUtil::ValidUserGroupName(c, name); });
        if (!reason.isEmpty()) return {};
        rowNew << name;
        return name;
    }

    // Names the column of each field that differs, for the preview.
    void Change(RowVerdict& v, int column, const QString& field, const QVariant& value,
                const QVariant& stored, bool isNew) {
        if (!isNew && value == stored) return;
        v.fields.append({field, value});
        if (!isNew) {
            if (!v.details.isEmpty()) v.details += QStringLiteral(", ");
            v.details += m_header.value(column);
        }
    }

    void ContactRow(const QStringList& record, RowVerdict& v) {
        const MLText T{m_ml, QStringLiteral("CsvExchange")};
        const QString name = v.key;
        const int at = m_contactAt.value(VBUtil::CaseKey(name), -1);
        if (!m_seen.Find(name).isEmpty()) {
            v.details = T(QStringLiteral("檔案中已有連絡人["), 1, 20) + name +
                        T(QStringLiteral("]的資料列。"), 2, 20);
            return;
        }
        m_seen.Append(name);
        const bool isNew = at < 0;
        const StoredContact stored = isNew ? StoredContact{} : m_contacts[at];
        if (isNew) {
            // Not among the stored contacts: the index above already says so.
            v.details =
                Probe([&](EditContext& c) { return ValidUtil::ValidUserName(c, name, false); });
            if (!v.details.isEmpty()) return;
        }
        const QString phone =
            Has(cPhone) ? ValidUtil::StoredTelNo(Cell(record, cPhone)) : stored.phone;
        const QString dsc = Has(cUserDsc) ? Cell(record, cUserDsc) : stored.dsc;
        bool disabled = stored.disabled;
        if (Has(cDisabled)) {
            const auto flag = ParseFlag(Cell(record, cDisabled));
            if (!flag) {
                v.details = BadFlag(Cell(record, cDisabled));
                return;
            }
            disabled = *flag;
        }
        // The contact editor's own check, on what the row would store.
        v.details = Probe([&](EditContext& c) {
            EditTelListForm form;
            form.lblTelUser = name;
            form.txtTelNo = phone;
            form.txtTelDsc = dsc;
            form.loadedDsc = stored.dsc;
            form.chkIsDisable = disabled;
            return form.CheckFormObj(c);
        });
        if (!v.details.isEmpty()) return;

        QStringList groups = KORVAUtil::SplitGroupList(stored.groups);
        QStringList rowNew;
        if (Has(cGroups)) {
            groups.clear();
            const std::optional<QStringList> names = CsvUtil::SplitList(Cell(record, cGroups));
            if (!names) {
                v.details = T(QStringLiteral("連絡人群組欄位的引號不合規則：名稱含有「;」或「\"」"
                                             "時，整個名稱放在引號內，名稱中的引號寫兩次。"),
                              1, 21020);
                return;
            }
            for (const QString& g : *names) {
                if (!Find(groups, g).isEmpty()) continue;
                const QString known = Group(g, rowNew, v.details);
                if (known.isEmpty()) return;
                groups << known;
            }
        }
        const int oldTargets = int(KORVAUtil::SplitGroupList(stored.groups).size());
        const int users = m_users + (isNew ? 1 : 0);
        const int targets = m_targets - oldTargets + int(groups.size());
        if (isNew || targets > m_targets) {
            v.details = Probe(
                [&](EditContext& c) { return KORVAUtil::WithinUserLimits(c, users, targets); });
            if (!v.details.isEmpty()) return;
        }

        if (isNew) Change(v, cName, QStringLiteral("UserName"), name, QString(), true);
        Change(v, cPhone, QStringLiteral("PhoneNumber"), phone, stored.phone, isNew);
        Change(v, cGroups, QStringLiteral("GroupName"), KORVAUtil::JoinGroupList(groups),
               stored.groups, isNew);
        Change(v, cDisabled, QStringLiteral("IsDisable"), disabled, stored.disabled, isNew);
        Change(v, cUserDsc, QStringLiteral("UserDsc"), dsc, stored.dsc, isNew);
        v.verdict = isNew                ? Verdict::New
                    : v.fields.isEmpty() ? Verdict::Unchanged
                                         : Verdict::Changes;
        v.row = stored.name;
        m_users = users;
        m_targets = targets;
        m_newGroups.Append(rowNew);
    }

    void ZoneRow(const QStringList& record, RowVerdict& v) {
        const MLText T{m_ml, QStringLiteral("CsvExchange")};
        // Digits only: the number's conversion would stop at a NUL and find a zone.
        bool ok = !v.key.isEmpty() && std::all_of(v.key.cbegin(), v.key.cend(),
                                                  [](QChar c) { return c >= u'0' && c <= u'9'; });
        const int no = ok ? v.key.toInt(&ok) : 0;
        const int at = ok ? m_zoneAt.value(QString::number(no), -1) : -1;
        if (at < 0) {
            v.details = T(QStringLiteral("專案沒有警報點["), 1, 22) + v.key +
                        T(QStringLiteral("]。"), 2, 22);
            return;
        }
        const StoredZone& stored = m_zones[at];
        if (!SeenFirst(m_seenZones, stored.no)) {
            v.details = T(QStringLiteral("檔案中已有警報點["), 1, 21) + v.key +
                        T(QStringLiteral("]的資料列。"), 2, 21);
            return;
        }
        const auto cell = [&](int column, const QString& kept) {
            return Has(column) ? Cell(record, column) : kept;
        };
        const QString name = cell(zName, stored.name);
        const QString dsc = cell(zDsc, stored.dsc);
        const QString alarm = cell(zAlarm, stored.alarm);
        const QString reset = cell(zReset, stored.reset);
        bool disabled = stored.disabled;
        if (Has(zDisabled)) {
            const auto flag = ParseFlag(Cell(record, zDisabled));
            if (!flag) {
                v.details = BadFlag(Cell(record, zDisabled));
                return;
            }
            disabled = *flag;
        }
        // The zone editor's own check, in the project's text mode.
        v.details = Probe([&](EditContext& c) {
            EditZoneListForm form;
            form.lblZoneNo = stored.no;
            form.txtZoneName = name;
            form.txtZoneDsc = dsc;
            form.txtAlarmSMS = alarm;
            form.txtResetSMS = reset;
            form.loadedName = stored.name;
            form.loadedDsc = stored.dsc;
            form.loadedAlarm = stored.alarm;
            form.loadedReset = stored.reset;
            form.chkIsDisable = disabled;
            form.knownUnicode = m_unicode;
            return form.CheckFormObj(c);
        });
        if (!v.details.isEmpty()) return;

        QString target = stored.target;
        QStringList rowNew;
        if (Has(zTarget)) {
            const QString t = Cell(record, zTarget).trimmed();
            if (t.isEmpty())
                target.clear();
            else if (!m_groups.Find(t).isEmpty())
                target = m_groups.Find(t);
            else if (t.compare(QStringLiteral("ALL"), Qt::CaseInsensitive) == 0 ||
                     IsOneOf(t, m_all))
                target = QStringLiteral("ALL");
            else if (target = Group(t, rowNew, v.details); target.isEmpty())
                return;
        }
        Change(v, zName, QStringLiteral("ZoneName"), name, stored.name, false);
        Change(v, zDsc, QStringLiteral("ZoneDsc"), dsc, stored.dsc, false);
        Change(v, zAlarm, QStringLiteral("AlarmSMS"), alarm, stored.alarm, false);
        Change(v, zReset, QStringLiteral("ResetSMS"), reset, stored.reset, false);
        Change(v, zTarget, QStringLiteral("GroupName"), target, stored.target, false);
        Change(v, zDisabled, QStringLiteral("IsDisable"), disabled, stored.disabled, false);
        v.verdict = v.fields.isEmpty() ? Verdict::Unchanged : Verdict::Changes;
        v.row = stored.no;
        m_newGroups.Append(rowNew);
    }

    RuleProbe m_probe;
    const MLState& m_ml;
    bool m_unicode = false; // the project's text mode: an import of rows does not change it
    Table m_table;
    ColumnMap m_columns;
    bool m_createGroups;
    int m_fieldCount = 0;
    QStringList m_header, m_yes, m_no, m_all;
    NameList m_groups, m_newGroups, m_seen;
    QSet<QString> m_seenZones;
    QVector<StoredContact> m_contacts;
    QVector<StoredZone> m_zones;
    QHash<QString, int> m_contactAt; // case key of a stored name -> its first contact
    QHash<QString, int> m_zoneAt;    // zone number -> its first zone
    int m_users = 0;
    int m_targets = 0;
};

QString FailTitle(const MLState& ml, bool import) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    return import ? T(QStringLiteral("匯入失敗"), 1, 30) : T(QStringLiteral("匯出失敗"), 1, 40);
}

void FileMessage(EditContext& ctx, bool import, const QString& path, const QString& what) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    ctx.ui.MsgBox(T(QStringLiteral("檔案["), 2, 30) + path + u']' + kCrLf + what,
                  vbOKOnly | vbCritical, FailTitle(ctx.ml, import));
}

FileDialogSetup Dialog(const MLState& ml, Table table, bool import) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    FileDialogSetup s;
    if (table == Table::Contacts)
        s.title = import ? T(QStringLiteral("匯入連絡人"), 1, 60)
                         : T(QStringLiteral("匯出連絡人"), 2, 60);
    else
        s.title = import ? T(QStringLiteral("匯入警報點"), 3, 60)
                         : T(QStringLiteral("匯出警報點"), 4, 60);
    s.filter = T(QStringLiteral("CSV 檔案 (*.csv)|*.csv|所有檔案 (*.*)|*.*"), 5, 60);
    s.overwritePrompt = !import;
    s.fileMustExist = import;
    return s;
}
} // namespace

QStringList Header(const MLState& ml, Table table) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    if (table == Table::Contacts)
        return {T(QStringLiteral("連絡人名稱"), 1, 1), T(QStringLiteral("電話號碼"), 2, 1),
                T(QStringLiteral("連絡人群組"), 3, 1), T(QStringLiteral("暫停使用"), 4, 1),
                T(QStringLiteral("說明"), 5, 1)};
    return {T(QStringLiteral("警報點"), 1, 2),       T(QStringLiteral("警報點名稱"), 2, 2),
            T(QStringLiteral("警報點說明"), 3, 2),   T(QStringLiteral("警報發起訊息"), 4, 2),
            T(QStringLiteral("警報復歸訊息"), 5, 2), T(QStringLiteral("通知的連絡人群組"), 6, 2),
            T(QStringLiteral("暫停使用"), 7, 2)};
}

QString VerdictText(const MLState& ml, Verdict verdict) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    switch (verdict) {
    case Verdict::New:
        return T(QStringLiteral("新增"), 1, 10);
    case Verdict::Changes:
        return T(QStringLiteral("變更"), 2, 10);
    case Verdict::Unchanged:
        return T(QStringLiteral("不變"), 3, 10);
    case Verdict::Refused:
        break;
    }
    return T(QStringLiteral("拒絕"), 4, 10);
}

int ImportPlan::Count(Verdict v) const {
    int n = 0;
    for (const RowVerdict& r : rows)
        n += r.verdict == v ? 1 : 0;
    return n;
}

CsvUtil::Records ExportRecords(EditContext& ctx, Table table) {
    const MLState& ml = ctx.ml;
    CsvUtil::Records out{Header(ml, table)};
    const auto flag = [&](bool on) { return on ? YesText(ml) : NoText(ml); };
    using CsvUtil::Guard;
    if (table == Table::Contacts) {
        for (const StoredContact& c : StoredContacts(ctx.project))
            out.append({Guard(c.name), Guard(c.phone, true),
                        Guard(CsvUtil::JoinList(KORVAUtil::SplitGroupList(c.groups))),
                        flag(c.disabled), Guard(c.dsc)});
        return out;
    }
    for (const StoredZone& z : StoredZones(ctx.project))
        out.append({z.no, Guard(z.name), Guard(z.dsc), Guard(z.alarm), Guard(z.reset),
                    Guard(z.target == QLatin1String("ALL") ? AllGroupsText(ml) : z.target),
                    flag(z.disabled)});
    return out;
}

bool ExportFile(EditContext& ctx, Table table, const QString& path, int* rows) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    const CsvUtil::Records records = ExportRecords(ctx, table);
    QSaveFile file(path);
    const QByteArray bytes = CsvUtil::FileBytes(CsvUtil::Write(records));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        FileMessage(ctx, false, path, T(QStringLiteral("無法寫入："), 1, 41) + file.errorString());
        return false;
    }
    if (rows) *rows = int(records.size()) - 1;
    return true;
}

bool ReadFile(EditContext& ctx, const QString& path, CsvUtil::Records& records) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    // A device, FIFO or folder is never opened: it may never end, or block the read for ever.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        FileMessage(ctx, true, path,
                    T(QStringLiteral("這不是一般的檔案（"), 1, 21021) +
                        KORVAMain::KindText(ctx.ml, FileUtil::KindOf(path)) +
                        T(QStringLiteral("）。"), 2, 21021));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        FileMessage(ctx, true, path, T(QStringLiteral("無法讀取："), 1, 31) + file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        FileMessage(ctx, true, path,
                    T(QStringLiteral("檔案大於"), 1, 21022) +
                        QString::number(kMaxFileBytes / (1024 * 1024)) +
                        T(QStringLiteral(" MB，不會是一個專案的連絡人或警報點。"), 2, 21022));
        return false;
    }
    QString text;
    CsvUtil::DecodeFault fault = CsvUtil::DecodeFault::None;
    if (!CsvUtil::Decode(bytes, text, nullptr, &fault)) {
        const QString why =
            fault == CsvUtil::DecodeFault::LooksGb
                ? T(QStringLiteral(
                        "檔案看來是簡體中文（GB）編碼，以 Big5 讀取會變成亂碼；請將檔案另存為 "
                        "UTF-8 後再匯入。"),
                    1, 21023)
            : fault == CsvUtil::DecodeFault::Utf16WithoutMark
                ? T(QStringLiteral(
                        "檔案看來是沒有位元組順序標記的 UTF-16 文字；請將檔案另存為 UTF-8 "
                        "後再匯入。"),
                    2, 21023)
                : T(QStringLiteral("檔案不是 UTF-8 或 Big5 編碼的文字。"), 1, 32) +
                      T(QStringLiteral("請將檔案另存為 UTF-8 後再匯入。"), 3, 21023);
        FileMessage(ctx, true, path, why);
        return false;
    }
    const CsvUtil::ParseResult parsed = CsvUtil::Parse(text);
    if (parsed.errorLine > 0) {
        FileMessage(ctx, true, path,
                    T(QStringLiteral("第"), 1, 33) + QString::number(parsed.errorLine) +
                        T(QStringLiteral("行的引號不合 CSV 的規則。"), 2, 33));
        return false;
    }
    if (parsed.records.size() < 2) {
        FileMessage(ctx, true, path, T(QStringLiteral("檔案沒有標題列以外的資料列。"), 1, 34));
        return false;
    }
    records = parsed.records;
    return true;
}

bool MapColumns(EditContext& ctx, Table table, const QStringList& header, const QString& path,
                ColumnMap& columns) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    const MLState& ml = ctx.ml;
    const QStringList names = Header(ml, table);
    const int messageNo = table == Table::Contacts ? 1 : 2;
    columns = ColumnMap(names.size(), -1);
    for (int i = 0; i < header.size(); ++i) {
        const QString cell = header[i].trimmed();
        for (int c = 0; c < names.size(); ++c) {
            if (!IsOneOf(cell, Words(ml, names[c], c + 1, messageNo, kModule))) continue;
            if (columns[c] >= 0) {
                FileMessage(ctx, true, path,
                            T(QStringLiteral("標題列的欄位["), 1, 35) + cell +
                                T(QStringLiteral("]出現兩次。"), 2, 35));
                return false;
            }
            columns[c] = i;
        }
    }
    // Unknown columns are left alone; the key column is needed.
    if (columns[0] < 0) {
        FileMessage(ctx, true, path,
                    T(QStringLiteral("標題列沒有欄位["), 1, 36) + names[0] +
                        T(QStringLiteral("]。"), 2, 36));
        return false;
    }
    return true;
}

ImportPlan Judge(EditContext& ctx, Table table, const CsvUtil::Records& records,
                 const ColumnMap& columns, bool createGroups) {
    ImportPlan plan;
    plan.table = table;
    if (records.isEmpty()) return plan;
    RowJudge judge(ctx, table, columns, createGroups);
    judge.SetFieldCount(int(records[0].size()));
    for (int i = 1; i < records.size(); ++i)
        plan.rows.append(judge.Row(i + 1, records[i]));
    plan.newGroups = judge.NewGroups();
    return plan;
}

bool Apply(EditContext& ctx, const ImportPlan& plan) {
    OpenProject& p = ctx.project;
    using namespace EditTransaction;
    const bool contacts = plan.table == Table::Contacts;
    const bool written = Run(ctx, FailTitle(ctx.ml, true), [&](QString& why) {
        RowSet* groups = p.UserGroups.get();
        for (const QString& g : plan.newGroups)
            if (!AddNew(groups, why) || !SetField(groups, QStringLiteral("GroupName"), g, why) ||
                !SetField(groups, QStringLiteral("GroupDsc"), QString(), why) ||
                !SaveRow(groups, why))
                return false;
        RowSet* rs = contacts ? p.Users.get() : p.Zones.get();
        const QString keyField = contacts ? QStringLiteral("UserName") : QStringLiteral("ZoneNo");
        ADOUtil::RowFinder stored(rs, keyField);
        for (const RowVerdict& r : plan.rows) {
            if (r.verdict == Verdict::New) {
                if (!AddNew(rs, why)) return false;
            } else if (r.verdict == Verdict::Changes) {
                if (!stored.Locate(r.row)) {
                    why = keyField + QStringLiteral(" ") + r.row;
                    return false;
                }
            } else {
                continue;
            }
            for (const auto& [field, value] : r.fields)
                if (!SetField(rs, field, value, why)) return false;
            if (!SaveRow(rs, why)) return false;
        }
        return true;
    });
    if (!written) return false;

    for (const QString& g : plan.newGroups)
        Q_EMIT ctx.editEvents.leafAdded(QStringLiteral("UserGroups"), g,
                                        QStringLiteral("UserGroups"),
                                        QStringLiteral("UserGroups,") + g);
    for (const RowVerdict& r : plan.rows) {
        if (r.verdict != Verdict::New && r.verdict != Verdict::Changes) continue;
        QString tag;
        if (contacts) {
            tag = QStringLiteral("Users,") + (r.row.isEmpty() ? r.key : r.row);
            if (r.verdict == Verdict::New)
                Q_EMIT ctx.editEvents.leafAdded(QStringLiteral("Users"), r.key,
                                                QStringLiteral("UserName"), tag);
        } else {
            tag = QStringLiteral("Zones,") + r.row;
            for (const auto& [field, value] : r.fields)
                if (field == QLatin1String("ZoneName"))
                    Q_EMIT ctx.editEvents.leafRenamed(tag,
                                                      value.toString().isEmpty()
                                                          ? u'#' + r.row
                                                          : u'#' + r.row + u'-' + value.toString(),
                                                      tag);
        }
        for (const auto& [field, value] : r.fields)
            if (field == QLatin1String("IsDisable"))
                Q_EMIT ctx.editEvents.leafGreyed(tag, value.toBool());
    }
    Q_EMIT ctx.editEvents.contentChanged();
    KORVAUtil::CountNotifyTargets(ctx);
    KORVAMain::SetModified(ctx, true);
    return true;
}

bool ExportCommand(EditContext& ctx, Table table) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    if (!ctx.project.IsOpen()) return false;
    FileDialogSetup setup = Dialog(ctx.ml, table, false);
    setup.initialDir = QFileInfo(ctx.project.ProjPath).absolutePath();
    setup.defaultName =
        ctx.project.ProjName + u'-' +
        (table == Table::Contacts ? QStringLiteral("contacts.csv") : QStringLiteral("zones.csv"));
    const auto path = ctx.ui.FileDialog(FileDialogKind::Save, setup);
    if (!path || path->isEmpty()) return false;
    int rows = 0;
    if (!ExportFile(ctx, table, *path, &rows)) return false;
    ctx.ui.SetStatusText(QStringLiteral("Status"),
                         T(QStringLiteral("已匯出"), 1, 42) + QString::number(rows) +
                             T(QStringLiteral("筆至["), 2, 42) + *path + u']');
    return true;
}

namespace {
// The status line after a plan was applied: how many rows, new and changed.
QString ImportedText(const MLState& ml, const ImportPlan& plan) {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    const int added = plan.Count(Verdict::New), changed = plan.Count(Verdict::Changes);
    return (plan.table == Table::Contacts
                ? T(QStringLiteral("已匯入 %1 筆連絡人 (新增 %2 筆，變更 %3 筆)"), 1, 20210)
                : T(QStringLiteral("已匯入 %1 個警報點 (新增 %2 個，變更 %3 個)"), 2, 20210))
        .arg(added + changed)
        .arg(added)
        .arg(changed);
}
} // namespace

bool ImportCommand(EditContext& ctx, Table table) {
    if (!ctx.project.IsOpen()) return false;
    const auto path = ctx.ui.FileDialog(FileDialogKind::Open, Dialog(ctx.ml, table, true));
    if (!path || path->isEmpty()) return false;
    CsvImportForm& form = ctx.forms.csvImport;
    if (!form.LoadFormObj(ctx, table, *path)) return false;
    if (!ctx.ui.ShowModal(Windows::frmCsvImport)) return false;
    if (!form.cmdOK_Click(ctx)) return false;
    ctx.ui.SetStatusText(QStringLiteral("Status"), ImportedText(ctx.ml, form.plan));
    return true;
}

bool AskApply(EditContext& ctx, const ImportPlan& plan) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    const int n = plan.Count(Verdict::New) + plan.Count(Verdict::Changes);
    return ctx.ui.MsgBox(T(QStringLiteral("要把"), 1, 50) + QString::number(n) +
                             T(QStringLiteral("筆新增或變更的資料列寫入專案["), 2, 50) +
                             ctx.project.ProjName + T(QStringLiteral("]嗎?"), 3, 50),
                         vbYesNo | vbQuestion, T(QStringLiteral("匯入"), 4, 50)) == vbYes;
}
} // namespace CsvExchange

bool CsvImportForm::LoadFormObj(EditContext& ctx, CsvExchange::Table which, const QString& file) {
    table = which;
    path = file;
    records.clear();
    plan = {};
    if (!ctx.project.IsOpen() || !ctx.project.RowSetsOpen()) return false;
    if (!CsvExchange::ReadFile(ctx, path, records)) return false;
    if (!CsvExchange::MapColumns(ctx, table, records[0], path, columns)) return false;
    plan = CsvExchange::Judge(ctx, table, records, columns, chkCreateGroups);
    return true;
}

void CsvImportForm::chkCreateGroups_Click(EditContext& ctx, bool checked) {
    chkCreateGroups = checked;
    plan = CsvExchange::Judge(ctx, table, records, columns, chkCreateGroups);
}

QString CsvImportForm::Summary(const MLState& ml) const {
    const MLText T{ml, QStringLiteral("CsvExchange")};
    using CsvExchange::Verdict;
    QStringList parts;
    for (Verdict v : {Verdict::New, Verdict::Changes, Verdict::Unchanged, Verdict::Refused})
        parts << CsvExchange::VerdictText(ml, v) + QStringLiteral(": ") +
                     QString::number(plan.Count(v));
    if (!plan.newGroups.isEmpty())
        parts << T(QStringLiteral("將建立的群組: "), 1, 12) +
                     plan.newGroups.join(QStringLiteral(", "));
    return parts.join(QStringLiteral("   "));
}

bool CsvImportForm::cmdOK_Click(EditContext& ctx) {
    return plan.HasWork() && CsvExchange::Apply(ctx, plan);
}
