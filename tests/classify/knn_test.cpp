// Filled in by the k-NN work.
