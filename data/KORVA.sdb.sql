-- The system database: device models and their capacities, the baud rates each model's type
-- code offers (with the device's identifier for each), and the recent-files list.
CREATE TABLE ModelList (
    ModelName     TEXT,
    MaxTelNo      INTEGER,
    MaxMemoryByte INTEGER
);
CREATE TABLE CommBaudList (
    ModelName TEXT,     -- the model's type code
    BaudID    INTEGER,
    BaudRate  TEXT
);
CREATE TABLE MRUList (
    FilePath TEXT
);

INSERT INTO ModelList (ModelName, MaxTelNo, MaxMemoryByte) VALUES
    ('VX700-RV27S',  64,  8192),
    ('VX700-RV27MS', 128, 16384),
    ('VX800-DI1V',   128, 16384),
    ('VX800-DI8',    128, 16384),
    ('VX800-DI8VM',  128, 16384),
    ('VX800-RV27MS', 128, 16384),
    ('VX800-MD',     128, 16384),
    ('VX800-SCF',    128, 16384),
    ('VX800-SLF',    128, 16384),
    ('VX700-AI',     128, 16384);

WITH codes(code, ord) AS (VALUES ('RV27S', 1), ('RV27MS', 2), ('DI1', 3), ('DI1V', 4), ('DI8', 5),
                                 ('DI8VM', 6), ('MD', 7), ('SCF', 8), ('SLF', 9), ('AI', 10)),
     rates(id, rate) AS (VALUES (0, '1200'), (1, '2400'), (2, '4800'), (3, '9600'),
                                (4, '19200'), (5, '38400'), (6, '57600'), (7, '115200'))
INSERT INTO CommBaudList (ModelName, BaudID, BaudRate)
SELECT code, id, rate FROM codes, rates ORDER BY ord, id;
