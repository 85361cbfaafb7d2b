# Runs the generator, one short pass of two phases, the peak-memory mode and the writers' mode.
file(MAKE_DIRECTORY "${WORK_DIR}")
set(doc "${WORK_DIR}/doc.json")

execute_process(COMMAND "${GENDOC}" --units 30 --out "${doc}" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "richmarkup-gendoc failed (${rc}): ${err}")
endif()
file(SIZE "${doc}" size)
if(size LESS 1000)
  message(FATAL_ERROR "the generated document has only ${size} bytes")
endif()

execute_process(COMMAND "${GENDOC}" --units many RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "needs a whole number")
  message(FATAL_ERROR "a bad --units was not refused clearly (${rc}): ${err}")
endif()

execute_process(COMMAND "${BENCH}" "--benchmark_filter=^(end_to_end/1/|value_to_model/1/|get_service_references)"
                        --benchmark_min_time=0.01 --benchmark_repetitions=1 "--output-dir=${WORK_DIR}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "## Summary" OR NOT out MATCHES "\\| 1x \\| 500 \\|")
  message(FATAL_ERROR "richmarkup_bench failed (${rc}):\n${out}\n${err}")
endif()

execute_process(COMMAND "${BENCH}" --peak-memory "${doc}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "peak RSS / document size")
  message(FATAL_ERROR "richmarkup_bench --peak-memory failed (${rc}):\n${out}\n${err}")
endif()
message(STATUS "${out}")

execute_process(COMMAND "${BENCH}" --writers --units 30 --reps 1
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "## Writers" OR NOT out MATCHES "\\| markdown \\| 300 \\|" OR NOT out MATCHES "Linearity:")
  message(FATAL_ERROR "richmarkup_bench --writers failed (${rc}):\n${out}\n${err}")
endif()
