/* One text segment with the read-only data at its front, then code; one data
   segment with the zero-filled data at its end. Nothing else survives. */
SECTIONS
{
  .text : {
    *(.rodata .rodata.* .data.rel.ro .data.rel.ro.*)
    *(.text .text.*)
  }
  .data : {
    *(.data .data.*)
    *(.bss .bss.*)
  }
  /DISCARD/ : {
    *(.note .note.*) *(.comment) *(.eh_frame .eh_frame_hdr) *(.debug*)
  }
}
