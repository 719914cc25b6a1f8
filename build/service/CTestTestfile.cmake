# CMake generated Testfile for 
# Source directory: /work/main/service
# Build directory: /work/main/build/service
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
