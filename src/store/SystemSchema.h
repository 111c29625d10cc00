#pragma once
// Table and field names of the system database.
#include <QString>

namespace SystemSchema {
// Tables.
inline const QString kModelList = QStringLiteral("ModelList");
inline const QString kCommBaudList = QStringLiteral("CommBaudList");
inline const QString kMRUList = QStringLiteral("MRUList");

// ModelList: a model's capacities; CommBaudList: the rates a model's type code offers
// (ModelName holds the type code there).
inline const QString kModelName = QStringLiteral("ModelName");
inline const QString kMaxTelNo = QStringLiteral("MaxTelNo");
inline const QString kMaxMemoryByte = QStringLiteral("MaxMemoryByte");
inline const QString kBaudID = QStringLiteral("BaudID");
inline const QString kBaudRate = QStringLiteral("BaudRate");

// MRUList: the recent files, most recent first.
inline const QString kFilePath = QStringLiteral("FilePath");
} // namespace SystemSchema
