// libsqldmo.so: the stages are linked in from their object libraries.
