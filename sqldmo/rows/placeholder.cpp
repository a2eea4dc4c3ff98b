// Replaced as this stage is built.
