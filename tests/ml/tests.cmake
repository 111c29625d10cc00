# The text coverage test checks the Simplified Chinese texts with OpenCC's own conversion.
if(TARGET tst_TextCoverage)
    target_compile_definitions(tst_TextCoverage PRIVATE KORVA_OPENCC="${OPENCC_EXECUTABLE}")
endif()
