# A refusal case written "ARGUMENTS|EXPECTED": the command line's words in `parts_var` and the
# pattern its error must match in `expected_var`.
function(split_refusal refusal parts_var expected_var)
  string(FIND "${refusal}" "|" bar)
  string(SUBSTRING "${refusal}" 0 ${bar} arguments)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${refusal}" ${bar} -1 expected)
  separate_arguments(parts UNIX_COMMAND "${arguments}")
  set(${parts_var} "${parts}" PARENT_SCOPE)
  set(${expected_var} "${expected}" PARENT_SCOPE)
endfunction()

# Runs `kvaril --run DOCUMENT` with each refusal's arguments: every one must fail with status 1,
# say the expected text (taken literally) and leave `kept` as it was.
function(expect_refusals kvaril document kept)
  file(SHA256 ${kept} before)
  foreach(refusal ${ARGN})
    split_refusal("${refusal}" parts expected)
    execute_process(COMMAND ${kvaril} --run ${document} ${parts}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    file(SHA256 ${kept} after)
    string(FIND "${err}" "${expected}" at)
    if(NOT rc EQUAL 1 OR at EQUAL -1 OR NOT before STREQUAL after)
      message(FATAL_ERROR "refusal ${parts}: rc=${rc}\n${err}")
    endif()
  endforeach()
endfunction()
