#!/usr/bin/env python3
"""Writes files/Ledger.kdb, the sample company's ledger database that the
default payload carries: a header, the chart of accounts and a year of
journal entries in fixed-size little-endian records (5,200 by default). Deterministic: the
same bytes on every run (a fixed linear congruential generator)."""
import struct
import sys

ACCOUNTS = [
    (1000, "Cash in hand"), (1010, "Bank - current account"), (1020, "Bank - savings"),
    (1100, "Trade debtors"), (1200, "Stock"), (1500, "Office equipment"),
    (1510, "Vehicles"), (2000, "Trade creditors"), (2100, "VAT payable"),
    (2200, "Wages payable"), (3000, "Share capital"), (3100, "Retained earnings"),
    (4000, "Sales - goods"), (4100, "Sales - services"), (5000, "Purchases"),
    (6000, "Wages and salaries"), (6100, "Rent and rates"), (6200, "Light and heat"),
    (6300, "Telephone and post"), (6400, "Motor expenses"), (6500, "Stationery"),
    (6600, "Bank charges"), (6700, "Insurance"), (6800, "Repairs"),
]
TEXTS = [
    "Invoice", "Receipt", "Payment", "Credit note", "Standing order", "Petty cash",
    "Transfer", "Wages run", "Quarterly rent", "Fuel", "Paper and toner", "Phone bill",
]
CUSTOMERS = [
    "Harbour Stores", "Linden Bakery", "North Ridge Farm", "Kestrel Print",
    "Mill Lane Garage", "Riverside Cafe", "Oak & Ash Joinery", "Bluebell Florist",
]


class Lcg:
    def __init__(self, start):
        self.state = start

    def next(self, bound):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % bound


def main(path, entries=5200):
    rng = Lcg(72)
    out = bytearray()
    out += struct.pack("<16sHHI", b"KORVU LEDGER DB", 7, 2, len(ACCOUNTS))
    out += struct.pack("<40s40s", b"Korvu Sample Trading Ltd", b"12 Quay Street, Port Ellis")
    for number, name in ACCOUNTS:
        out += struct.pack("<I36s", number, name.encode("ascii"))
    out += struct.pack("<I", entries)
    balance = {number: 0 for number, _ in ACCOUNTS}
    for i in range(entries):
        day = 1 + i * 365 // entries
        debit = ACCOUNTS[rng.next(len(ACCOUNTS))][0]
        credit = ACCOUNTS[rng.next(len(ACCOUNTS))][0]
        pence = 100 * rng.next(2500) + 5 * rng.next(20)
        balance[debit] += pence
        balance[credit] -= pence
        text = "%s %s %05d" % (TEXTS[rng.next(len(TEXTS))],
                               CUSTOMERS[rng.next(len(CUSTOMERS))], 10000 + i)
        out += struct.pack("<IHHIIq36s", 1 + i, 2026, day, debit, credit, pence,
                           text.encode("ascii")[:36])
    for number, _ in ACCOUNTS:
        out += struct.pack("<Iq", number, balance[number])
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    # An optional entry count makes larger ledgers for measurements.
    main(sys.argv[1] if len(sys.argv) > 1 else "files/Ledger.kdb",
         int(sys.argv[2]) if len(sys.argv) > 2 else 5200)
