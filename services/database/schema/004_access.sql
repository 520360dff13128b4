-- Who may use the company's occurrences, and what each did.
--
-- An operator's password, only as its Argon2id hash (libsodium's string form, which
-- carries its own salt and cost). An operator without a row cannot sign in.
CREATE TABLE SENHAOPER (
    CDOPERADOR VARCHAR(12) NOT NULL PRIMARY KEY REFERENCES OPERADOR (CDOPERADOR),
    DSHASH VARCHAR(200) NOT NULL,
    DTALTERACAO TIMESTAMP NOT NULL
);

-- Failed sign-ins by the code typed, whether or not an operator has it: a lock after
-- repeated failures then says nothing about which codes exist.
CREATE TABLE FALHAENTRADA (
    CDOPERADOR VARCHAR(12) NOT NULL PRIMARY KEY,
    QTFALHAS INTEGER DEFAULT 0 NOT NULL,
    DTULTFALHA TIMESTAMP NOT NULL,
    DTBLOQATE TIMESTAMP
);

-- The branches and modules an operator may work in; "*" is every branch, module 0 every
-- module.
CREATE TABLE ACESSOOPER (
    CDOPERADOR VARCHAR(12) NOT NULL REFERENCES OPERADOR (CDOPERADOR),
    CDFILIAL VARCHAR(4) NOT NULL,
    CDMODULO INTEGER NOT NULL,
    PRIMARY KEY (CDOPERADOR, CDFILIAL, CDMODULO)
);

-- Signed-in sessions, shared by every server of the company: a session survives a
-- server's restart and is served by any of them. Only a digest of the session's token is
-- kept, so that reading this table does not let anyone act as its operator.
CREATE TABLE SESSAO (
    IDSESSAO VARCHAR(64) NOT NULL PRIMARY KEY,
    CDOPERADOR VARCHAR(12) NOT NULL,
    CDFILIAL VARCHAR(4) NOT NULL,
    CDMODULO INTEGER NOT NULL,
    DTINICIO TIMESTAMP NOT NULL,
    DTULTUSO TIMESTAMP NOT NULL,
    DTFIM TIMESTAMP,
    DSORIGEM VARCHAR(80)
);
CREATE INDEX SESSAO_OPERADOR ON SESSAO (CDOPERADOR);

-- Every stored change of an occurrence, written in the transaction of the change: one row
-- per column an insert gave a value, per column a change altered, per text stored, per
-- column a delete removed. Nothing updates or deletes it.
CREATE TABLE HISTMOVOCORR (
    CDFILILANCMO VARCHAR(4) NOT NULL,
    NROCORRMOV VARCHAR(10) NOT NULL,
    NRHIST INTEGER NOT NULL,
    DTHIST TIMESTAMP NOT NULL,
    CDOPERADOR VARCHAR(12) NOT NULL,
    IDCHAMADA VARCHAR(220) NOT NULL,
    IDOPERACAO VARCHAR(1) NOT NULL,
    NMCAMPO VARCHAR(20) NOT NULL,
    DSVALORANT TEXT,
    DSVALORNOVO TEXT,
    PRIMARY KEY (CDFILILANCMO, NROCORRMOV, NRHIST)
);
