# The program's folders in layer order, lowest first. Each folder uses only
# itself and the folders before it: the build gives each its own library and
# include root, and the test suite checks every include (CheckLayers.cmake).
set(PW_LAYERS framework model engine skin editor mainwnd app)
