# CMake generated Testfile for 
# Source directory: /work/main/tools/readersim
# Build directory: /work/main/build/tools/readersim
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
