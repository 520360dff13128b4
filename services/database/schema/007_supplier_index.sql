-- The qualification reads a supplier's occurrences by branch and month with their group:
-- with the group in the supplier's index, no occurrence's row is read for it.
DROP INDEX MOVOCORR_FORNECED;
CREATE INDEX MOVOCORR_FORNECED ON MOVOCORR (CDFORNECED, CDFILIAL, DTOCORRMOV, CDGRPOCOR);
