"""Type stubs of kbr370, the KBR-370 FPGA board from Python."""

import os
from typing import Any, Callable, Dict, Iterable, Iterator, List, NamedTuple, Optional, Tuple, Union

Progress = Optional[Callable[[int, int], object]]
BytesLike = Union[bytes, bytearray, memoryview]
PathLike = Union[str, "os.PathLike[str]"]

__version__: str
PROGRAM_DIRECTORY: Optional[str]
SELFTEST_AREAS: Tuple[str, ...]


class Error(Exception): ...
class LinkError(Error): ...
class BoardRefused(Error): ...


def program(name: str) -> str: ...
def design_file() -> str: ...


class VirtualBoard:
    dir: str
    def __init__(self, configure: bool = ..., configure_ms: Optional[int] = ...) -> None: ...
    @property
    def control_socket(self) -> str: ...
    @property
    def running(self) -> bool: ...
    def ctl(self, *words: object, timeout: float = ...) -> str: ...
    def stop(self) -> None: ...
    def __enter__(self) -> "VirtualBoard": ...
    def __exit__(self, *exc: object) -> None: ...


class Inputs(NamedTuple):
    keys: int
    switches: int


class Ps2Report(NamedTuple):
    buttons: int
    dx: int
    dy: int


class IrCode(NamedTuple):
    code: int
    key: Optional[str]


class Check(NamedTuple):
    area: str
    name: str
    result: str
    message: str
    duration_ms: int
    details: List[Tuple[str, str]]


class HsmcResult:
    passed: bool
    failing: List[str]


class SelfTestResult:
    passed: bool
    completed: bool
    stop_reason: str
    checks: List[Check]
    unrestored: List[Tuple[str, int, int]]


class Memory:
    name: str
    argument: str
    size: int
    erased: int
    flash: bool
    def read(self, address: int = ..., count: Optional[int] = ...,
             progress: Progress = ...) -> bytes: ...
    def write(self, address: int, data: BytesLike, progress: Progress = ...) -> None: ...
    def verify(self, address: int, data: BytesLike, progress: Progress = ...) -> Optional[int]: ...
    def save(self, path: PathLike, address: int = ..., count: Optional[int] = ...,
             format: Optional[str] = ..., progress: Progress = ...) -> None: ...
    def load(self, path: PathLike, address: int = ..., format: Optional[str] = ...,
             progress: Progress = ...) -> int: ...
    def erase(self, progress: Progress = ...) -> None: ...


class Rs232:
    def send(self, data: Union[BytesLike, str]) -> None: ...
    def receive(self, timeout: float = ...) -> Iterator[bytes]: ...


class Ps2:
    def watch(self, timeout: float = ...) -> Iterator[Ps2Report]: ...


class Ir:
    def watch(self, timeout: float = ...) -> Iterator[IrCode]: ...


class Board:
    rs232: Rs232
    ps2: Ps2
    ir: Ir
    @property
    def name(self) -> str: ...
    @property
    def link(self) -> str: ...
    @property
    def connected(self) -> bool: ...
    def connect(self) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Board": ...
    def __exit__(self, *exc: object) -> None: ...
    def set_leds(self, bits: int) -> None: ...
    def set_seg7(self, value: int, extra: int = ...) -> None: ...
    def inputs(self) -> Inputs: ...
    def set_lcd(self, line0: str = ..., line1: str = ...) -> None: ...
    def set_vga(self, pattern: Union[str, int]) -> None: ...
    def usb(self) -> str: ...
    def sd(self) -> Dict[str, Any]: ...
    def hsmc(self) -> HsmcResult: ...
    def memory(self, name: str) -> Memory: ...
    def watch_inputs(self, timeout: float = ...) -> Iterator[Inputs]: ...
    def selftest(self, only: Optional[Union[str, Iterable[str]]] = ...,
                 skip: Optional[Union[str, Iterable[str]]] = ..., full: bool = ...,
                 destructive: bool = ..., loopback: bool = ...,
                 junit: Optional[PathLike] = ..., json: Optional[PathLike] = ...,
                 html: Optional[PathLike] = ..., progress: Progress = ...,
                 ask: Optional[Callable[[str], bool]] = ...,
                 tell: Optional[Callable[[str], object]] = ...) -> SelfTestResult: ...


def open(cable: Optional[str] = ..., design: Optional[PathLike] = ...,
         time_limit_ms: int = ..., vboard: Optional[VirtualBoard] = ...) -> Board: ...
