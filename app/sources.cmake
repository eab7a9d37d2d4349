# The password application: its rule is portable and tested on the host; the forms and the
# program entry are in app/CMakeLists.txt.
list(APPEND KS_PORTABLE_SOURCES
  app/PasswordRule.cpp
)
