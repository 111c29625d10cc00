#include "store/SystemDb.h"

#include "base/Ui.h"
#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "store/SystemSchema.h"

#include <QDir>

namespace SystemDB {

QString SystemDbPath(const QString& programFolder) {
    return QDir(programFolder).absoluteFilePath(QStringLiteral("KORVA.sdb"));
}

bool OpenSystemDB(SystemDb& sdb, Ui& ui, const MLState& ml, const QString& programFolder) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    const QString path = SystemDbPath(programFolder);
    const bool exists = FileUtil::FileExists(path);
    if (exists) {
        sdb.conn = ADOUtil::OpenMDBConn(ui, path, QString(), QString());
        if (sdb.conn) {
            sdb.CommBaudList = ADOUtil::OpenRecordset(sdb.conn.get(), SystemSchema::kCommBaudList);
            sdb.ModelList = ADOUtil::OpenRecordset(sdb.conn.get(), SystemSchema::kModelList);
            sdb.MRUList = ADOUtil::OpenRecordset(sdb.conn.get(), SystemSchema::kMRUList);
        }
        if (sdb.IsOpen()) return true;
        CloseSystemDB(sdb);
    }
    const QString why = exists ? T(QStringLiteral("檔案無法讀取:"), 3, 9001)
                               : T(QStringLiteral("檔案不存在:"), 2, 9001);
    ui.MsgBox(T(QStringLiteral("系統資料庫開啟失敗, 程式無法啟動!"), 1, 9001) + VBUtil::kCrLf +
                  why + QStringLiteral(" [") + path + u']',
              vbOKOnly | vbCritical, T(QStringLiteral("KORVA 系統失敗"), 4, 9001));
    return false;
}

void CloseSystemDB(SystemDb& sdb) {
    for (auto* rs : {&sdb.CommBaudList, &sdb.ModelList, &sdb.MRUList}) {
        if (*rs && (*rs)->IsOpen()) (*rs)->Close();
        rs->reset();
    }
    if (sdb.conn && sdb.conn->IsOpen()) sdb.conn->Close();
    sdb.conn.reset();
}

ModelCapacity LookupModel(SystemDb& sdb, const QString& modelName) {
    ModelCapacity cap;
    RowSet* rs = sdb.ModelList.get();
    if (!rs || !rs->IsOpen()) return cap;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        if (ADOUtil::NullToStr(rs->Field(SystemSchema::kModelName)) != modelName) continue;
        cap.found = true;
        cap.MaxTelNo = VBUtil::ToWhole16(ADOUtil::NullToStr(rs->Field(SystemSchema::kMaxTelNo)));
        cap.MaxMemoryByte =
            VBUtil::ToWhole16(ADOUtil::NullToStr(rs->Field(SystemSchema::kMaxMemoryByte)));
    }
    return cap;
}

QString LookupBaudRate(SystemDb& sdb, const QString& modelName, const QString& baudId) {
    RowSet* rs = sdb.CommBaudList.get();
    if (rs && rs->IsOpen()) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            if (ADOUtil::NullToStr(rs->Field(SystemSchema::kModelName)) == modelName &&
                ADOUtil::NullToStr(rs->Field(SystemSchema::kBaudID)) == baudId)
                return ADOUtil::NullToStr(rs->Field(SystemSchema::kBaudRate));
        }
    }
    return QStringLiteral("UnKnown");
}

} // namespace SystemDB
