#!/usr/bin/python3
"""A Modbus RTU server of pymodbus on a serial device, holding the alarm dialer's register
layout, for interop tests of the KORVA client.

Usage: rtu_server.py PORT STATEFILE
Prints "ready" on stdout once it listens. After every write the holding registers
0x0080..0x0082 are written to STATEFILE as JSON, so a test can check what the server took
without asking it over the line.
"""
import asyncio
import json
import os
import signal
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server import StartAsyncSerialServer
from pymodbus.transaction import ModbusRtuFramer

STATION = 247


class RecordingBlock(ModbusSequentialDataBlock):
    """Holding registers that report every write to the state file."""

    def __init__(self, address, values, path):
        super().__init__(address, values)
        self.path = path
        self.dump()

    def setValues(self, address, values):  # pylint: disable=invalid-name
        super().setValues(address, values)
        self.dump()

    def dump(self):
        with open(self.path + ".tmp", "w", encoding="utf-8") as f:
            json.dump({"holding": list(self.values)}, f)
        os.replace(self.path + ".tmp", self.path)


async def main(port, state):
    inputs = ModbusSequentialDataBlock(
        0, [0x4106, 0x0102, 0x3412, 0x7856, 0x2143, 0x1209, 0x0010, 0x0001, 0x0000, 0x0000, 0x0003, 0x0004])
    holding = RecordingBlock(0x80, [0x00F7, 0x00C3, 0xBEEF], state)
    coils = ModbusSequentialDataBlock(0, [1, 0, 1] + [0] * 60 + [1])
    slave = ModbusSlaveContext(ir=inputs, hr=holding, co=coils,
                               di=ModbusSequentialDataBlock(0, [0]), zero_mode=True)
    context = ModbusServerContext(slaves={STATION: slave}, single=False)
    server = await StartAsyncSerialServer(context=context, framer=ModbusRtuFramer, port=port,
                                          baudrate=9600, bytesize=8, parity="N", stopbits=1,
                                          defer_start=True)
    await server.start()
    if server.transport is None:
        print("cannot open " + port, flush=True)
        return 1
    print("ready", flush=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    await stop.wait()
    await server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(asyncio.run(main(sys.argv[1], sys.argv[2])))
