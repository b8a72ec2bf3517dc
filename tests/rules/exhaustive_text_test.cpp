// Filled in by the rules work.
