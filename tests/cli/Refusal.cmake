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
