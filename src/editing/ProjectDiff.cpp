#include "editing/ProjectDiff.h"

#include "db/ADOUtil.h"
#include "db/Connection.h"
#include "db/RowSet.h"
#include "editing/KORVAUtil.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"
#include "store/OpenProject.h"
#include "store/ProjectColumns.h"
#include "store/ProjectSchema.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using ADOUtil::FieldText;
namespace S = ProjectSchema;

namespace {
bool Flag(const RowSet* rs, const QString& field) {
    const QVariant v = rs->Field(field);
    return v.isValid() && !v.isNull() && v.toBool();
}

QString YesNo(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// Compact JSON exactly as QJsonDocument writes it (an object's keys in sorted order, the
// same escapes), written straight into one string: a download stores one per attempt.
class JsonWriter {
public:
    void Text(const QString& s) {
        static const char kHex[] = "0123456789abcdef";
        m_out += u'"';
        for (const QChar ch : s) {
            const char16_t u = ch.unicode();
            switch (u) {
            case u'"':
                m_out += QLatin1String("\\\"");
                break;
            case u'\\':
                m_out += QLatin1String("\\\\");
                break;
            case u'\b':
                m_out += QLatin1String("\\b");
                break;
            case u'\f':
                m_out += QLatin1String("\\f");
                break;
            case u'\n':
                m_out += QLatin1String("\\n");
                break;
            case u'\r':
                m_out += QLatin1String("\\r");
                break;
            case u'\t':
                m_out += QLatin1String("\\t");
                break;
            default:
                if (u < 0x20) {
                    m_out += QLatin1String("\\u00");
                    m_out += QLatin1Char(kHex[u >> 4]);
                    m_out += QLatin1Char(kHex[u & 0xF]);
                } else {
                    m_out += ch;
                }
            }
        }
        m_out += u'"';
    }
    // The next member of an object: its key (the members come in sorted key order).
    JsonWriter& Key(const char* key) {
        Comma();
        m_out += u'"';
        m_out += QLatin1String(key);
        m_out += QLatin1String("\":");
        m_first = true; // the value follows without a comma
        return *this;
    }
    JsonWriter& Value(const QString& s) {
        Comma();
        Text(s);
        return *this;
    }
    JsonWriter& Value(bool b) {
        Comma();
        m_out += b ? QLatin1String("true") : QLatin1String("false");
        return *this;
    }
    JsonWriter& Value(int n) {
        Comma();
        m_out += QString::number(n);
        return *this;
    }
    JsonWriter& Value(const QStringList& list) {
        Open(u'[');
        for (const QString& e : list)
            Value(e);
        return Close(u']');
    }
    JsonWriter& Open(char16_t bracket) {
        Comma();
        m_out += bracket;
        m_first = true;
        return *this;
    }
    JsonWriter& Close(char16_t bracket) {
        m_out += bracket;
        m_first = false;
        return *this;
    }
    QByteArray Utf8() const { return m_out.toUtf8(); }

private:
    void Comma() {
        if (!m_first) m_out += u',';
        m_first = false;
    }
    QString m_out;
    bool m_first = true;
};
} // namespace

QByteArray ProjectContent::ToJson() const {
    JsonWriter w;
    w.Open(u'{').Key("contacts").Open(u'[');
    for (const Contact& e : contacts)
        w.Open(u'{')
            .Key("description")
            .Value(e.description)
            .Key("disabled")
            .Value(e.disabled)
            .Key("groups")
            .Value(e.groups)
            .Key("name")
            .Value(e.name)
            .Key("number")
            .Value(e.number)
            .Close(u'}');
    w.Close(u']');
    w.Key("createdBy").Value(createdBy).Key("description").Value(description);
    w.Key("groups").Open(u'[');
    for (const Group& e : groups)
        w.Open(u'{').Key("description").Value(e.description).Key("name").Value(e.name).Close(u'}');
    w.Close(u']');
    w.Key("model").Value(model).Key("unicode").Value(unicode);
    w.Key("zones").Open(u'[');
    for (const Zone& e : zones)
        w.Open(u'{')
            .Key("alarm")
            .Value(e.alarm)
            .Key("disabled")
            .Value(e.disabled)
            .Key("name")
            .Value(e.name)
            .Key("no")
            .Value(e.no)
            .Key("reset")
            .Value(e.reset)
            .Key("target")
            .Value(e.target)
            .Close(u'}');
    w.Close(u']').Close(u'}');
    return w.Utf8();
}

bool ProjectContent::FromJson(const QByteArray& json, ProjectContent& out) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    const QJsonObject o = doc.object();
    if (!o.contains(QStringLiteral("contacts"))) return false;
    out = {};
    out.createdBy = o[QStringLiteral("createdBy")].toString();
    out.description = o[QStringLiteral("description")].toString();
    out.model = o[QStringLiteral("model")].toString();
    out.unicode = o[QStringLiteral("unicode")].toBool();
    for (const QJsonValue& v : o[QStringLiteral("groups")].toArray())
        out.groups.append(
            {v[QStringLiteral("name")].toString(), v[QStringLiteral("description")].toString()});
    for (const QJsonValue& v : o[QStringLiteral("contacts")].toArray()) {
        Contact c;
        c.name = v[QStringLiteral("name")].toString();
        c.number = v[QStringLiteral("number")].toString();
        c.disabled = v[QStringLiteral("disabled")].toBool();
        for (const QJsonValue& g : v[QStringLiteral("groups")].toArray())
            c.groups << g.toString();
        c.description = v[QStringLiteral("description")].toString();
        out.contacts.append(c);
    }
    for (const QJsonValue& v : o[QStringLiteral("zones")].toArray())
        out.zones.append(
            {v[QStringLiteral("no")].toInt(), v[QStringLiteral("name")].toString(),
             v[QStringLiteral("target")].toString(), v[QStringLiteral("alarm")].toString(),
             v[QStringLiteral("reset")].toString(), v[QStringLiteral("disabled")].toBool()});
    return true;
}

namespace ProjectDiff {
namespace {
void ReadTables(ProjectContent& c, RowSet* basic, RowSet* groups, RowSet* users, RowSet* zones) {
    if (basic) {
        basic->MoveFirst();
        if (!basic->Eof()) {
            c.createdBy = FieldText(basic, S::kCreatedBy);
            c.description = FieldText(basic, S::kProjectDsc);
            c.model = FieldText(basic, S::kDeviceModelName);
            c.unicode = Flag(basic, S::kIsUnicode);
        }
    }
    if (groups)
        for (groups->MoveFirst(); !groups->Eof(); groups->MoveNext()) {
            const QString name = FieldText(groups, S::kGroupName);
            if (!name.isEmpty()) c.groups.append({name, FieldText(groups, S::kGroupDsc)});
        }
    if (users) {
        const ProjectSchema::ContactColumns col(*users);
        for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
            ProjectContent::Contact e;
            e.name = FieldText(users, col.name);
            e.number = FieldText(users, col.phone).trimmed();
            e.disabled = ADOUtil::FieldFlag(users, col.disabled);
            for (const QString& g : KORVAUtil::SplitGroupList(FieldText(users, col.groups)))
                if (!g.trimmed().isEmpty()) e.groups << g.trimmed();
            e.description = FieldText(users, col.dsc);
            c.contacts.append(e);
        }
    }
    if (zones) {
        const ProjectSchema::ZoneColumns col(*zones);
        for (zones->MoveFirst(); !zones->Eof(); zones->MoveNext())
            c.zones.append({zones->FieldAt(col.no).toInt(), FieldText(zones, col.name),
                            FieldText(zones, col.target), FieldText(zones, col.alarm),
                            FieldText(zones, col.reset), ADOUtil::FieldFlag(zones, col.disabled)});
    }
    // What the dialer receives of a text in a non-Unicode project.
    if (!c.unicode) {
        MessageRule::AnsiEncoder ansi;
        for (ProjectContent::Zone& z : c.zones) {
            z.alarm = PhoneBook::WithoutAnsiGaps(z.alarm, &ansi);
            z.reset = PhoneBook::WithoutAnsiGaps(z.reset, &ansi);
        }
    }
}

QString Key(const QString& name) {
    return name.toUpper();
}

// Items for the entries of a and b matched by key: removed, then changed in b's order, then
// added; fields(x, y, add) lists the changed fields of a matched pair.
template <typename T, typename KeyOf, typename Fields>
void CompareList(QVector<Item>& out, Section section, const QVector<T>& a, const QVector<T>& b,
                 KeyOf keyOf, Fields fields, bool ordered) {
    QHash<QString, int> inA, inB;
    for (int i = 0; i < a.size(); ++i)
        if (!inA.contains(keyOf(a[i]))) inA.insert(keyOf(a[i]), i);
    for (int i = 0; i < b.size(); ++i)
        if (!inB.contains(keyOf(b[i]))) inB.insert(keyOf(b[i]), i);
    QStringList orderA, orderB;
    for (const T& e : a) {
        if (!inB.contains(keyOf(e)))
            out.append({section, Change::Removed, e.name, {}, {}, {}});
        else
            orderA << keyOf(e);
    }
    for (const T& e : b) {
        const auto found = inA.constFind(keyOf(e));
        if (found == inA.constEnd()) continue;
        orderB << keyOf(e);
        fields(a[*found], e, [&](const QString& field, const QString& x, const QString& y) {
            if (x != y) out.append({section, Change::Changed, e.name, field, x, y});
        });
    }
    for (const T& e : b)
        if (!inA.contains(keyOf(e))) out.append({section, Change::Added, e.name, {}, {}, {}});
    // The order of the entries both hold (group numbers, the phonebook's k numbers).
    if (ordered && orderA != orderB) {
        QStringList na, nb;
        for (const QString& k : orderA)
            na << a[inA[k]].name;
        for (const QString& k : orderB)
            nb << b[inB[k]].name;
        out.append({section,
                    Change::Changed,
                    {},
                    QStringLiteral("order"),
                    na.join(QStringLiteral(", ")),
                    nb.join(QStringLiteral(", "))});
    }
}
} // namespace

ProjectContent Read(const Connection& conn) {
    ProjectContent c;
    auto basic = RowSet::OpenTable(conn, S::kBasic);
    auto groups = RowSet::OpenTable(conn, S::kUserGroups);
    auto users = RowSet::OpenTable(conn, S::kUsers);
    auto zones = RowSet::OpenTable(conn, S::kZones);
    ReadTables(c, basic.get(), groups.get(), users.get(), zones.get());
    return c;
}

ProjectContent Read(const OpenProject& project) {
    ProjectContent c;
    auto clone = [](const std::unique_ptr<RowSet>& rs) {
        return rs && rs->IsOpen() ? rs->Clone() : std::unique_ptr<RowSet>();
    };
    auto basic = clone(project.Basic);
    auto groups = clone(project.UserGroups);
    auto users = clone(project.Users);
    auto zones = clone(project.Zones);
    ReadTables(c, basic.get(), groups.get(), users.get(), zones.get());
    return c;
}

bool ReadFile(const QString& path, ProjectContent& out, QString* why) {
    if (!QFileInfo(path).isFile()) {
        if (why) *why = QStringLiteral("no such file");
        return false;
    }
    Connection conn;
    ConnectionString cs;
    cs.dataSource = path;
    cs.readOnly = true;
    if (!conn.Open(cs)) {
        if (why) *why = conn.ErrorDescription();
        return false;
    }
    for (const QString& table : {S::kBasic, S::kUserGroups, S::kUsers, S::kZones})
        if (!conn.TableExists(table)) {
            if (why) *why = QStringLiteral("not a project: no table %1").arg(table);
            return false;
        }
    out = Read(conn);
    return true;
}

QVector<Item> Compare(const ProjectContent& a, const ProjectContent& b) {
    QVector<Item> out;
    auto basic = [&](const QString& field, const QString& x, const QString& y) {
        if (x != y) out.append({Section::Basic, Change::Changed, {}, field, x, y});
    };
    basic(QStringLiteral("model"), a.model, b.model);
    basic(QStringLiteral("unicode"), YesNo(a.unicode), YesNo(b.unicode));
    basic(QStringLiteral("createdBy"), a.createdBy, b.createdBy);
    basic(QStringLiteral("description"), a.description, b.description);

    using G = ProjectContent::Group;
    using C = ProjectContent::Contact;
    using Z = ProjectContent::Zone;
    CompareList<G>(
        out, Section::Groups, a.groups, b.groups, [](const G& g) { return Key(g.name); },
        [](const G& x, const G& y, auto field) {
            field(QStringLiteral("name"), x.name, y.name);
            field(QStringLiteral("description"), x.description, y.description);
        },
        true);
    CompareList<C>(
        out, Section::Contacts, a.contacts, b.contacts, [](const C& c) { return Key(c.name); },
        [](const C& x, const C& y, auto field) {
            field(QStringLiteral("name"), x.name, y.name);
            field(QStringLiteral("number"), x.number, y.number);
            field(QStringLiteral("disabled"), YesNo(x.disabled), YesNo(y.disabled));
            QStringList gx, gy;
            for (const QString& g : x.groups)
                gx << Key(g);
            for (const QString& g : y.groups)
                gy << Key(g);
            if (gx != gy)
                field(QStringLiteral("groups"), x.groups.join(QStringLiteral(", ")),
                      y.groups.join(QStringLiteral(", ")));
            field(QStringLiteral("description"), x.description, y.description);
        },
        true);
    // Zones are matched by number; their entries have a name of their own.
    QHash<int, const Z*> zonesA;
    for (const Z& z : a.zones)
        zonesA.insert(z.no, &z);
    QSet<int> seen;
    for (const Z& y : b.zones) {
        const QString key = QString::number(y.no);
        seen.insert(y.no);
        const Z* x = zonesA.value(y.no);
        if (!x) {
            out.append({Section::Zones, Change::Added, key, {}, {}, {}});
            continue;
        }
        auto field = [&](const QString& f, const QString& u, const QString& v) {
            if (u != v) out.append({Section::Zones, Change::Changed, key, f, u, v});
        };
        field(QStringLiteral("name"), x->name, y.name);
        if (Key(x->target) != Key(y.target)) field(QStringLiteral("target"), x->target, y.target);
        field(QStringLiteral("alarm"), x->alarm, y.alarm);
        field(QStringLiteral("reset"), x->reset, y.reset);
        field(QStringLiteral("disabled"), YesNo(x->disabled), YesNo(y.disabled));
    }
    for (const Z& x : a.zones)
        if (!seen.contains(x.no))
            out.append({Section::Zones, Change::Removed, QString::number(x.no), {}, {}, {}});
    return out;
}

QString SectionKey(Section s) {
    switch (s) {
    case Section::Basic:
        return QStringLiteral("basic");
    case Section::Groups:
        return QStringLiteral("groups");
    case Section::Contacts:
        return QStringLiteral("contacts");
    case Section::Zones:
        return QStringLiteral("zones");
    }
    return {};
}

QString ChangeKey(Change c) {
    switch (c) {
    case Change::Added:
        return QStringLiteral("added");
    case Change::Removed:
        return QStringLiteral("removed");
    case Change::Changed:
        return QStringLiteral("changed");
    }
    return {};
}

QByteArray ToJson(const QVector<Item>& items) {
    QJsonArray a;
    for (const Item& i : items) {
        QJsonObject o{{QStringLiteral("section"), SectionKey(i.section)},
                      {QStringLiteral("change"), ChangeKey(i.change)},
                      {QStringLiteral("key"), i.key}};
        if (i.change == Change::Changed) {
            o[QStringLiteral("field")] = i.field;
            o[QStringLiteral("before")] = i.before;
            o[QStringLiteral("after")] = i.after;
        }
        a.append(o);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("equal"), items.isEmpty()},
                                     {QStringLiteral("differences"), a}})
        .toJson(QJsonDocument::Indented);
}

QStringList Describe(const MLState& ml, const QVector<Item>& items) {
    const MLText T{ml, QStringLiteral("ProjectDiff")};
    if (items.isEmpty()) return {T(QStringLiteral("兩者內容相同。"), 1, 23101)};
    const QHash<QString, QString> fields{
        {QStringLiteral("model"), T(QStringLiteral("機型"), 1, 23102)},
        {QStringLiteral("unicode"), T(QStringLiteral("Unicode 簡訊"), 2, 23102)},
        {QStringLiteral("createdBy"), T(QStringLiteral("建立者"), 3, 23102)},
        {QStringLiteral("description"), T(QStringLiteral("說明"), 4, 23102)},
        {QStringLiteral("name"), T(QStringLiteral("名稱"), 5, 23102)},
        {QStringLiteral("number"), T(QStringLiteral("電話號碼"), 6, 23102)},
        {QStringLiteral("disabled"), T(QStringLiteral("停用"), 7, 23102)},
        {QStringLiteral("groups"), T(QStringLiteral("所屬群組"), 8, 23102)},
        {QStringLiteral("target"), T(QStringLiteral("通報群組"), 9, 23102)},
        {QStringLiteral("alarm"), T(QStringLiteral("警報簡訊"), 10, 23102)},
        {QStringLiteral("reset"), T(QStringLiteral("復歸簡訊"), 11, 23102)},
        {QStringLiteral("order"), T(QStringLiteral("順序"), 12, 23102)},
    };
    const QString headings[] = {
        T(QStringLiteral("基本資料"), 1, 23103), T(QStringLiteral("群組"), 2, 23103),
        T(QStringLiteral("聯絡人"), 3, 23103), T(QStringLiteral("防區"), 4, 23103)};
    const QString added = T(QStringLiteral("  新增: %1"), 1, 23104);
    const QString removed = T(QStringLiteral("  移除: %1"), 2, 23104);
    const QString changed = T(QStringLiteral("  變更: %1: %2 -> %3"), 3, 23104);
    const QString zone = T(QStringLiteral("防區 %1"), 4, 23104);
    const QString empty = T(QStringLiteral("(空白)"), 5, 23104);
    auto shown = [&](const QString& v) {
        if (v == QLatin1String("true")) return T(QStringLiteral("是"), 6, 23104);
        if (v == QLatin1String("false")) return T(QStringLiteral("否"), 7, 23104);
        return v.isEmpty() ? empty : QLatin1Char('"') + v + QLatin1Char('"');
    };
    QStringList lines;
    int section = -1;
    for (const Item& i : items) {
        if (int(i.section) != section) {
            section = int(i.section);
            lines << headings[section];
        }
        const QString key = i.section == Section::Zones ? zone.arg(i.key) : i.key;
        switch (i.change) {
        case Change::Added:
            lines << added.arg(key);
            break;
        case Change::Removed:
            lines << removed.arg(key);
            break;
        case Change::Changed: {
            const QString what = fields.value(i.field, i.field);
            lines << changed.arg(key.isEmpty() ? what : key + QLatin1Char(' ') + what,
                                 shown(i.before), shown(i.after));
        } break;
        }
    }
    return lines;
}
} // namespace ProjectDiff
