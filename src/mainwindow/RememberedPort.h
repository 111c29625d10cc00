#pragma once
// The port last chosen in the port dialog, kept in the per-user settings store between runs.
class QSettings;
struct CommValues;

namespace RememberedPort {
void Store(QSettings& store, const CommValues& comm);
// Puts the remembered port into comm; nothing remembered leaves comm as it is.
void Restore(QSettings& store, CommValues& comm);
} // namespace RememberedPort
