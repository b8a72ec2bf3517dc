# kolven-cli as a program: on every NAME.tab of the test data, "exhaustive" and "lem2" must write
# NAME.exhaustive.txt and NAME.lem2.txt (a table without one is refused: exit 1), and every
# TRAIN--TEST.knn.txt is what "knn TRAIN.tab TEST.tab" writes; all byte for byte after the time
# line, on standard output and through -o into a folder whose name is not ASCII. A cross-build runs
# the program under its emulator, so this checks the Windows program's output against the same files.
#
#   cmake -DCLI=kolven-cli -DEMULATOR=... -DDATA=tests/data -DWORK=scratch -P cli_golden.cmake
cmake_minimum_required(VERSION 3.25)

set(failures 0)

# Runs the program with the arguments after `output`; its standard output lands in that file.
function(run_cli output)
  execute_process(COMMAND ${EMULATOR} ${CLI} ${ARGN} OUTPUT_FILE ${output} ERROR_VARIABLE err
                  RESULT_VARIABLE code)
  set(code "${code}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(fail message)
  message(SEND_ERROR "${message}")
endfunction()

# Compares an export with its golden file, skipping the export's time line. The files are compared
# as hexadecimal text: CMake's strings would drop the carriage returns.
function(expect_export what actual golden)
  file(READ ${actual} text HEX)
  file(READ ${golden} expected HEX)
  string(HEX "Czas wykonania zadania: " timeLineStart)
  string(LENGTH "${timeLineStart}" startLength)
  string(SUBSTRING "${text}" 0 ${startLength} head)
  # The time line holds no byte 0xd0, so the first "0d0a" is its CR LF.
  string(FIND "${text}" "0d0a" end)
  if(NOT head STREQUAL timeLineStart OR end EQUAL -1)
    fail("${what}: no time line")
    return()
  endif()
  math(EXPR start "${end} + 4")
  string(SUBSTRING "${text}" ${start} -1 body)
  if(NOT body STREQUAL expected)
    fail("${what}: differs from ${golden}")
  endif()
endfunction()

# Runs one computation to standard output and to a file, and compares both with the golden file.
function(expect_run what golden)
  run_cli(${WORK}/stdout.txt ${ARGN})
  if(NOT code EQUAL 0)
    fail("${what}: exit ${code}: ${err}")
    return()
  endif()
  expect_export("${what} (standard output)" ${WORK}/stdout.txt ${golden})
  file(REMOVE ${WORK}/Łukasz/wynik.txt)
  run_cli(${WORK}/empty.txt ${ARGN} -o ${WORK}/Łukasz/wynik.txt)
  file(SIZE ${WORK}/empty.txt printed)
  if(NOT code EQUAL 0 OR NOT printed EQUAL 0 OR NOT EXISTS ${WORK}/Łukasz/wynik.txt)
    fail("${what} -o: exit ${code}, ${printed} bytes printed: ${err}")
    return()
  endif()
  expect_export("${what} (-o)" ${WORK}/Łukasz/wynik.txt ${golden})
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/Łukasz)

file(GLOB tables ${DATA}/*.tab)
list(LENGTH tables count)
if(count LESS 10)
  fail("the golden tables were not found in ${DATA}")
endif()
foreach(table ${tables})
  get_filename_component(name ${table} NAME)
  string(REGEX REPLACE "\\.tab$" "" stem "${name}")
  # The table is read from the non-ASCII folder too.
  configure_file(${table} ${WORK}/Łukasz/dane.tab COPYONLY)
  expect_run("exhaustive ${name}" ${DATA}/${stem}.exhaustive.txt exhaustive ${WORK}/Łukasz/dane.tab)
  if(EXISTS ${DATA}/${stem}.lem2.txt)
    expect_run("lem2 ${name}" ${DATA}/${stem}.lem2.txt lem2 ${table})
  else()
    run_cli(${WORK}/stdout.txt lem2 ${table})
    if(NOT code EQUAL 1)
      fail("lem2 ${name}: expected a refusal, got exit ${code}")
    endif()
  endif()
endforeach()

file(GLOB knnCases ${DATA}/*--*.knn.txt)
if(NOT knnCases)
  fail("no k-NN case (TRAIN--TEST.knn.txt) in ${DATA}")
endif()
foreach(golden ${knnCases})
  get_filename_component(name ${golden} NAME)
  string(REGEX MATCH "^(.*)--(.*)\\.knn\\.txt$" parts "${name}")
  expect_run("knn ${name}" ${golden} knn ${DATA}/${CMAKE_MATCH_1}.tab ${DATA}/${CMAKE_MATCH_2}.tab)
endforeach()
