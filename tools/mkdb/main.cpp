// korva-mkdb OUT SCHEMA.sql [TABLE:KEYCOLUMN:FILE.tsv ...]
//
// Creates the database OUT from an SQL script, then loads each tab-separated file into TABLE.
// The file's first line names its columns; KEYCOLUMN, when not empty, is set to the file's
// base name on every row. In values, \t \r \n and \\ stand for a tab, CR, LF and a backslash.
// Lines starting with # and empty lines are skipped. OUT is replaced only when all went well.
#include <sqlite3.h>

#include <cstdio>
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

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: korva-mkdb OUT SCHEMA.sql [TABLE:KEYCOLUMN:FILE.tsv ...]\n";
        return 2;
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
    for (int i = 3; ok && i < argc; ++i)
        ok = LoadTsv(db, argv[i]);
    ok = ok && sqlite3_exec(db, "COMMIT; VACUUM;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!ok) {
        fs::remove(tmp);
        return 1;
    }
    fs::rename(tmp, out);
    return 0;
}
