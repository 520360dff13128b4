-- The writes already stored, by the key their client gave them (Idempotency-Key and the
-- call's place in its request), with their answer: a write sent again to any server,
-- before or after a restart, gets its first answer and stores nothing. Written in the
-- same transaction as the write, so a write that did not commit leaves no key; kept for
-- a bounded time.
CREATE TABLE CHAMADAGRAV (
    CDCHAVE VARCHAR(220) NOT NULL PRIMARY KEY,
    DSDIGEST VARCHAR(40) NOT NULL,
    DSRESPOSTA TEXT,
    DTCHAMADA TIMESTAMP NOT NULL
);
CREATE INDEX CHAMADAGRAV_DATA ON CHAMADAGRAV (DTCHAMADA);
