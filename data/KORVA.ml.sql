-- The text database: message texts (Text) and window texts (Form), one column per language.
-- Its rows come from the tab-separated files under ml/Text (one per module) and ml/Form (one
-- per window).
CREATE TABLE Text (
    ModuleName  TEXT,
    ID          SMALLINT,
    Seq         SMALLINT,
    IsDisable   BOOLEAN NOT NULL DEFAULT 0,
    ChineseBig5 TEXT,
    ChineseGB   TEXT,
    English     TEXT
);
CREATE TABLE Form (
    FormName     TEXT,
    Objectpath   TEXT,
    PropertyName TEXT,
    ChineseBig5  TEXT,
    ChineseGB    TEXT,
    English      TEXT
);
