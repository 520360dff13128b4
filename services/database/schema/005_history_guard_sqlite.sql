-- History is evidence: the database itself refuses to change or remove it.
CREATE TRIGGER HISTMOVOCORR_SEM_ALTERACAO BEFORE UPDATE ON HISTMOVOCORR
BEGIN
    SELECT RAISE(ABORT, 'o histórico das ocorrências não pode ser alterado');
END;
CREATE TRIGGER HISTMOVOCORR_SEM_EXCLUSAO BEFORE DELETE ON HISTMOVOCORR
BEGIN
    SELECT RAISE(ABORT, 'o histórico das ocorrências não pode ser excluído');
END;
