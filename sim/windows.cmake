# Windows: both libraries become Ftd2xx.dll, each in its folder of its own
# (sim/lib, sim/lib-nogetbitmode), never beside the programs in bin/: the
# loader looks in the program's folder first, where a user puts the vendor's
# library. On 32-bit Windows a .def file exports the __stdcall entry points
# under their plain names; on 64-bit there is one calling convention and no
# decoration.
# Each import library (Ftd2xx.dll.a) goes beside its DLL.
foreach(ftsim_target ftd2xx_sim ftd2xx_sim_nogetbitmode)
  get_target_property(ftsim_dir ${ftsim_target} RUNTIME_OUTPUT_DIRECTORY)
  set_target_properties(${ftsim_target} PROPERTIES
    PREFIX "" IMPORT_PREFIX "" OUTPUT_NAME Ftd2xx ARCHIVE_OUTPUT_DIRECTORY ${ftsim_dir})
endforeach()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_sources(ftd2xx_sim PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ftd2xx.def)
  target_sources(ftd2xx_sim_nogetbitmode PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ftd2xx_nogetbitmode.def)
endif()
