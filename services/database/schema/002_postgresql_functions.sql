-- The functions the company's query texts call, on PostgreSQL; the SQLite driver gives
-- each connection its own. NVL and NVLSTR fall back to the second value (NVLSTR also for
-- an empty text), PARAM names a value once as a one-row table whose column PARAM holds
-- it, INSTR is the 1-based place of a text in another (0 when absent), and FORMAT_DATE
-- writes a date with the picture tokens YYYY, YY, MM, DD, HH24, HH (24-hour), MI and SS.

CREATE OR REPLACE FUNCTION NVL(a anyelement, b anyelement) RETURNS anyelement
    LANGUAGE sql IMMUTABLE AS 'SELECT COALESCE(a, b)';

-- For two values of no known type (a parameter and a literal), read as texts.
CREATE OR REPLACE FUNCTION NVL(a text, b text) RETURNS text
    LANGUAGE sql IMMUTABLE AS 'SELECT COALESCE(a, b)';

CREATE OR REPLACE FUNCTION NVLSTR(a text, b text) RETURNS text
    LANGUAGE sql IMMUTABLE AS 'SELECT COALESCE(NULLIF(a, ''''), b)';

CREATE OR REPLACE FUNCTION INSTR(a text, b text) RETURNS integer
    LANGUAGE sql IMMUTABLE AS 'SELECT strpos(a, b)';

CREATE OR REPLACE FUNCTION PARAM(p text) RETURNS TABLE (PARAM text)
    LANGUAGE sql IMMUTABLE AS 'SELECT p';

CREATE OR REPLACE FUNCTION FORMAT_DATE(d timestamp, picture text) RETURNS text
    LANGUAGE sql IMMUTABLE
    AS 'SELECT to_char(d, regexp_replace(picture, ''HH(?!24)'', ''HH24'', ''gi''))';
