// korva-mkdb OUT SCHEMA.sql [--simplified OPENCC TERMS.tsv] [TABLE:KEYCOLUMN:FILE.tsv ...]
//
// Creates the database OUT from an SQL script, then loads each tab-separated file into TABLE.
// The file's first line names its columns; KEYCOLUMN, when not empty, is set to the file's
// base name on every row. In values, \t \r \n and \\ stand for a tab, CR, LF and a backslash.
// Lines starting with # and empty lines are skipped. OUT is replaced only when all went well.
//
// With --simplified, every empty ChineseGB text of a table that has the columns ChineseBig5
// and ChineseGB is made from its ChineseBig5 text: OPENCC (the opencc program) converts it with
// its Taiwan-to-mainland phrase table (tw2sp), then the terms of TERMS.tsv (lines "converted
// TAB mainland") are replaced, in file order.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '\t')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

static std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s)
        out += c == '\\'   ? "\\\\"
               : c == '\t' ? "\\t"
               : c == '\r' ? "\\r"
               : c == '\n' ? "\\n"
                           : std::string(1, c);
    return out;
}

static std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 't' ? '\t' : n == 'r' ? '\r' : n == 'n' ? '\n' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

static bool Fail(sqlite3* db, const std::string& what) {
    std::cerr << "korva-mkdb: " << what << (db ? std::string(": ") + sqlite3_errmsg(db) : "")
              << "\n";
    return false;
}

static bool LoadTsv(sqlite3* db, const std::string& arg) {
    const auto a = arg.find(':');
    const auto b = arg.find(':', a + 1);
    if (a == std::string::npos || b == std::string::npos)
        return Fail(nullptr, "bad argument " + arg);
    const std::string table = arg.substr(0, a), key = arg.substr(a + 1, b - a - 1);
    const fs::path file = arg.substr(b + 1);
    std::ifstream in(file, std::ios::binary);
    if (!in) return Fail(nullptr, "cannot read " + file.string());
    std::string line;
    std::vector<std::string> columns;
    int lineNo = 0;
    sqlite3_stmt* st = nullptr;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto fields = SplitTabs(line);
        if (columns.empty()) {
            columns = fields;
            std::string sql = "INSERT INTO \"" + table + "\" (";
            std::string marks;
            for (size_t i = 0; i < columns.size(); ++i) {
                sql += (i ? ",\"" : "\"") + columns[i] + "\"";
                marks += i ? ",?" : "?";
            }
            if (!key.empty()) {
                sql += ",\"" + key + "\"";
                marks += ",?";
            }
            sql += ") VALUES (" + marks + ")";
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
                return Fail(db, file.string() + ": header");
            continue;
        }
        if (fields.size() > columns.size()) {
            sqlite3_finalize(st);
            return Fail(nullptr,
                        file.string() + ":" + std::to_string(lineNo) + ": too many fields");
        }
        fields.resize(columns.size());
        sqlite3_reset(st);
        for (size_t i = 0; i < fields.size(); ++i) {
            const std::string v = Unescape(fields[i]);
            sqlite3_bind_text(st, int(i + 1), v.c_str(), int(v.size()), SQLITE_TRANSIENT);
        }
        if (!key.empty()) {
            const std::string stem = file.stem().string();
            sqlite3_bind_text(st, int(fields.size() + 1), stem.c_str(), -1, SQLITE_TRANSIENT);
        }
        if (sqlite3_step(st) != SQLITE_DONE) {
            Fail(db, file.string() + ":" + std::to_string(lineNo));
            sqlite3_finalize(st);
            return false;
        }
    }
    sqlite3_finalize(st);
    return true;
}

static std::vector<std::string> ReadLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

static std::string Quoted(const std::string& s) {
    return '"' + s + '"';
}

// Fills the empty ChineseGB texts of TABLE from ChineseBig5 (see the top of the file).
static bool FillSimplified(sqlite3* db, const std::string& table, const std::string& opencc,
                           const std::vector<std::pair<std::string, std::string>>& terms,
                           const fs::path& work) {
    const std::string pick = "SELECT rowid, ChineseBig5 FROM \"" + table +
                             "\" WHERE coalesce(ChineseGB,'')='' AND coalesce(ChineseBig5,'')<>''";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, pick.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return true; // no such columns: nothing to fill
    std::vector<sqlite3_int64> rows;
    const fs::path in = work.string() + ".big5", out = work.string() + ".gb";
    {
        std::ofstream f(in, std::ios::binary);
        while (sqlite3_step(st) == SQLITE_ROW) {
            rows.push_back(sqlite3_column_int64(st, 0));
            f << Escape(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) << '\n';
        }
    }
    sqlite3_finalize(st);
    if (rows.empty()) return true;
    const std::string command =
        Quoted(opencc) + " -c tw2sp.json -i " + Quoted(in.string()) + " -o " + Quoted(out.string());
    const int rc = std::system(command.c_str());
    std::vector<std::string> converted = ReadLines(out);
    fs::remove(in);
    fs::remove(out);
    if (rc != 0)
        return Fail(nullptr, "the Simplified Chinese texts could not be made: \"" + command +
                                 "\" failed (status " + std::to_string(rc) + ")");
    if (converted.size() != rows.size())
        return Fail(nullptr, opencc + " gave " + std::to_string(converted.size()) + " lines for " +
                                 std::to_string(rows.size()) + " texts");
    const std::string set = "UPDATE \"" + table + "\" SET ChineseGB=? WHERE rowid=?";
    if (sqlite3_prepare_v2(db, set.c_str(), -1, &st, nullptr) != SQLITE_OK) return Fail(db, table);
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string text = Unescape(converted[i]);
        for (const auto& [from, to] : terms)
            for (size_t at = text.find(from); at != std::string::npos;
                 at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 2, rows[i]);
        if (sqlite3_step(st) != SQLITE_DONE) {
            Fail(db, table);
            sqlite3_finalize(st);
            return false;
        }
    }
    sqlite3_finalize(st);
    return true;
}

static bool ReadTerms(const fs::path& file,
                      std::vector<std::pair<std::string, std::string>>& terms) {
    std::ifstream probe(file, std::ios::binary);
    if (!probe) return Fail(nullptr, "cannot read " + file.string());
    int lineNo = 0;
    for (const std::string& line : ReadLines(file)) {
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        const auto fields = SplitTabs(line);
        if (fields.size() != 2 || fields[0].empty())
            return Fail(nullptr, file.string() + ":" + std::to_string(lineNo) +
                                     ": a term line is \"converted TAB mainland\"");
        terms.emplace_back(Unescape(fields[0]), Unescape(fields[1]));
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: korva-mkdb OUT SCHEMA.sql [--simplified OPENCC TERMS.tsv] "
                     "[TABLE:KEYCOLUMN:FILE.tsv ...]\n";
        return 2;
    }
    int first = 3;
    std::string opencc;
    std::vector<std::pair<std::string, std::string>> terms;
    if (argc > 3 && std::string(argv[3]) == "--simplified") {
        if (argc < 6) return Fail(nullptr, "--simplified takes OPENCC TERMS.tsv"), 2;
        opencc = argv[4];
        if (!ReadTerms(argv[5], terms)) return 1;
        first = 6;
    }
    const fs::path out = argv[1];
    const fs::path tmp = out.string() + ".tmp";
    fs::remove(tmp);
    std::ifstream schemaIn(argv[2], std::ios::binary);
    if (!schemaIn) return Fail(nullptr, std::string("cannot read ") + argv[2]), 1;
    std::stringstream schema;
    schema << schemaIn.rdbuf();

    sqlite3* db = nullptr;
    if (sqlite3_open(tmp.string().c_str(), &db) != SQLITE_OK) return Fail(db, "open"), 1;
    bool ok = sqlite3_exec(db, "PRAGMA journal_mode=DELETE; BEGIN;", nullptr, nullptr, nullptr) ==
              SQLITE_OK;
    ok = ok && (sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ||
                Fail(db, argv[2]));
    for (int i = first; ok && i < argc; ++i)
        ok = LoadTsv(db, argv[i]);
    if (ok && !opencc.empty()) {
        std::vector<std::string> tables;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st,
                           nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        for (const std::string& table : tables)
            ok = ok && FillSimplified(db, table, opencc, terms, tmp);
    }
    ok = ok && sqlite3_exec(db, "COMMIT; VACUUM;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!ok) {
        fs::remove(tmp);
        return 1;
    }
    fs::rename(tmp, out);
    return 0;
}
