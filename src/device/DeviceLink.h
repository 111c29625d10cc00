#pragma once
// What the port procedures work on: the person (messages, letting events run), the texts,
// the communication values, the port and the state beside it. A DeviceContext gives its own.
#include <memory>

class Ui;
struct MLState;
struct CommValues;
struct CommLink;
class SerialPort;

struct DeviceLink {
    Ui& ui;
    const MLState& ml;
    CommValues& comm;
    std::unique_ptr<SerialPort>& port;
    CommLink& link;
};
