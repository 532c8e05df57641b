# The cases that run work on several threads, as CTest entries labelled
# "threads" (ctest -L threads) of a ThreadSanitizer build (-DQUELVIX_TSAN=ON),
# which builds them with `cmake --build DIR --target thread_tests`. Other
# builds run them in the programs' shards only.
#
# quelvix_thread_test(<name> <program> <gtest filter>) adds the entry
# "threads_<name>"; a new thread test needs one line below.
add_custom_target(thread_tests)
add_dependencies(thread_tests quelvixcore)

function(quelvix_thread_test name program filter)
  add_dependencies(thread_tests ${program})
  if(NOT QUELVIX_TSAN)
    return()
  endif()
  add_test(NAME threads_${name} COMMAND ${program} --gtest_brief=1 --gtest_filter=${filter})
  set_tests_properties(threads_${name} PROPERTIES LABELS threads TIMEOUT 1800)
  if(program STREQUAL "gnr_vu2ziz_tests")
    set_tests_properties(threads_${name} PROPERTIES FIXTURES_REQUIRED documents)
  endif()
endfunction()

quelvix_thread_test(frame_cache gnr_vu2ziz_tests "FrameCache.*:InputCache.*")
quelvix_thread_test(async_files w32_system_tests "AsyncIO.*:AsyncRead.*:AsyncCopy*.*:AsyncFailure.*")
quelvix_thread_test(timers w32_system_tests "Timer.*:TimerByPrecision.*")
quelvix_thread_test(locks_and_memory w32_system_tests
  "MutexCS.*:LxAlloc.Concurrent*:TempName.Concurrent*:TraceWindow.RecordsFromSeveralThreads*:TraceRecords.*PerThread:TraceRecords.*ThreadId")
quelvix_thread_test(class_registry gnr_system_tests "RttiRegistry.*:CoreLibraryRegistry.*")
quelvix_thread_test(shared_tables gnr_system_tests
  "Locale.LookupsRunOnManyThreads:LxList.Concurrent*:LxUnits.*OtherThreads:VariantRunTypes.RegistryServesSeveralThreads:VariantTree.TreesOnSeveralThreads")
quelvix_thread_test(probe_catalogue gnr_metaformats_tests "FluoProbeBase.ReadersRunBesideInitAndAssignments")
quelvix_thread_test(picture_workers gnr_picture_tests
  "RLEBlend.ConcurrentDisplays*:AnnotationBlendCache.*:StretchAverage.Threaded*")
quelvix_thread_test(jp2_codec_threads mul_imageformat_tests
  "JP2WriterCrossCheck.ThreadCount*:Jp2Reader.ThreadCount*:Jp2Codec.ThreadCount*:JP2WriterLock.*")
quelvix_thread_test(concurrent_documents gnr_vu2ziz_tests "ConcurrentDocuments.*")
quelvix_thread_test(labelling_blocks gnr_picture_tests
  "RLELabel.ThreadsLabelAtOnce:BinFillHoles.ThreadsFillAtOnce")
