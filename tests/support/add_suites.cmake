# Run after a test binary is built: lists its tests and writes one ctest test per suite (EXE
# --gtest_filter=SUITE.*), named PREFIX:SUITE, into OUT. The limit of each test is kept by the binary
# itself (test_main.cpp); ctest's TIMEOUT here, LIMIT seconds for each test of the suite and once more
# for its set-up, is only the last guard.
#   EXE     the test binary          PREFIX  the name's prefix (the binary's layer)
#   OUT     the file of ctest tests  LIMIT   one test's limit, in seconds
#   ENV     the environment of the tests, as NAME=VALUE
execute_process(COMMAND "${EXE}" --gtest_list_tests
                OUTPUT_VARIABLE listed ERROR_VARIABLE problem RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${result}):\n${listed}\n${problem}")
endif()

# Suites are unindented lines ending in "." (a "# TypeParam = ..." comment may follow); their tests are
# the indented lines under them. Disabled suites and tests are not run, as gtest does not run them.
string(REPLACE ";" "\\;" listed "${listed}")
string(REPLACE "\n" ";" lines "${listed}")
set(suites "")
set(suite "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
    if(suite MATCHES "(^|/)DISABLED_")
      set(suite "")
    endif()
  elseif(suite AND line MATCHES "^  ([^ ]+)")
    if(NOT CMAKE_MATCH_1 MATCHES "^DISABLED_")
      if(NOT DEFINED "count_${suite}")
        list(APPEND suites "${suite}")
        set("count_${suite}" 0)
      endif()
      math(EXPR "count_${suite}" "${count_${suite}} + 1")
    endif()
  endif()
endforeach()

set(script "")
foreach(suite IN LISTS suites)
  math(EXPR guard "${LIMIT} * (${count_${suite}} + 1)")
  string(APPEND script
    "add_test([==[${PREFIX}:${suite}]==] [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==])\n"
    "set_tests_properties([==[${PREFIX}:${suite}]==] PROPERTIES TIMEOUT ${guard} ENVIRONMENT [==[${ENV}]==])\n")
endforeach()
file(WRITE "${OUT}" "${script}")
