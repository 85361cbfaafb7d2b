"""A JSON Lines corpus converted on a Dask cluster of separate processes (a scheduler and two
single-threaded workers on 127.0.0.1) gives the lines `richmarkup-build -f jsonl -t json -j 1`
gives, in order, with the failing documents' error lines in their places; also when a worker is
killed in the middle of the job.
"""
import functools
import itertools
import os
import signal
import subprocess
import time

import pytest

distributed = pytest.importorskip("distributed")
pytest.importorskip("dask.bag")

import dask_corpus  # noqa: E402

PYTHON = "/usr/bin/python3"
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BIN = os.path.join(ROOT, "build", "bin")
TOOL = os.environ.get("RICHMARKUP_TOOL", os.path.join(BIN, "richmarkup-build"))
GENDOC = os.environ.get("RICHMARKUP_GENDOC", os.path.join(BIN, "richmarkup-gendoc"))
if not os.path.exists(GENDOC):
    pytest.skip("no richmarkup-gendoc to generate the corpus", allow_module_level=True)
DOCUMENTS = 20_000
PARTITIONS = 30
NAME = "corpus.jsonl"
TIMEOUT = 30  # seconds, for each wait on the cluster
# The workers import the job's functions from here, as they would from a shipped package; paths
# made absolute for processes that start elsewhere.
ENVIRONMENT = dict(os.environ, PYTHONPATH=os.pathsep.join(
    os.path.abspath(path) for path in [HERE] + os.environ.get("PYTHONPATH", "").split(os.pathsep) if path))

# Lines that fail or need care, put among the generated documents; None: the line gives no output.
PARAGRAPH = b'{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"kept"}]}'
ODD_LINES = [
    (b'{"className":"RichTextParagraphNode","children":[', "error"),  # malformed JSON
    (b'[{"className":"HeadingNode","level":"2","children":[]}]', "error"),  # the builder rejects it
    (b"", None),
    (b" \t ", None),
    (b'{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"\xff"}]}', "error"),
    (PARAGRAPH + b"\r", "model"),  # a "\r\n" line
    (b'[{"className":"Nope"},' + PARAGRAPH + b"]", "model"),  # a warning, the rest is kept
]


@pytest.fixture(scope="module")
def corpus(tmp_path_factory):
    """The corpus's path, the tool's output lines, and the line number of each failing document."""
    work = tmp_path_factory.mktemp("corpus")
    generated = subprocess.run([GENDOC, "--jsonl", str(DOCUMENTS), "--units", "1", "--seed", "3"],
                               check=True, stdout=subprocess.PIPE, timeout=60).stdout.splitlines()
    lines, failing = [], []
    for i, line in enumerate(generated):
        if i % 250 == 17:
            odd, outcome = ODD_LINES[(i // 250) % len(ODD_LINES)]
            lines.append(odd)
            if outcome == "error":
                failing.append(len(lines))
        lines.append(line)
    (work / NAME).write_bytes(b"\n".join(lines) + b"\n")
    tool = subprocess.run([TOOL, "-f", "jsonl", "-t", "json", "-j", "1", "-q", NAME], cwd=work,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    assert tool.returncode == 1, tool.stderr.decode(errors="replace")[-2000:]
    expected = tool.stdout.decode().splitlines()
    assert len(expected) == sum(1 for line in lines if line.strip())
    assert len(failing) >= 30
    return work / NAME, expected, failing


class Cluster:
    """A scheduler and workers as processes of their own; workers without a nanny, so a killed one stays dead."""

    def __init__(self, work):
        self.work = work
        self.file = str(work / "scheduler.json")
        self.processes = []
        self.client = None

    def spawn(self, name, args):
        log = open(self.work / f"{name}.log", "wb")
        process = subprocess.Popen([PYTHON, "-m"] + args, stdout=log, stderr=subprocess.STDOUT, env=ENVIRONMENT)
        log.close()
        self.processes.append((name, process))
        return process

    def start(self, workers):
        # Without the test process they go away by themselves: the scheduler idle, the workers without it.
        self.spawn("scheduler", ["distributed.cli.dask_scheduler", "--host", "127.0.0.1", "--port", "0",
                                 "--no-dashboard", "--scheduler-file", self.file, "--idle-timeout", "120"])
        deadline = time.monotonic() + TIMEOUT
        while not os.path.exists(self.file):
            assert time.monotonic() < deadline, "the scheduler did not start\n" + self.logs()
            time.sleep(0.05)
        for i in range(workers):
            self.spawn(f"worker{i}", ["distributed.cli.dask_worker", "--scheduler-file", self.file,
                                      "--host", "127.0.0.1", "--nthreads", "1", "--no-nanny", "--no-dashboard",
                                      "--name", f"worker{i}", "--local-directory", str(self.work / f"worker{i}"),
                                      "--memory-limit", "0", "--death-timeout", "60"])
        self.client = distributed.Client(scheduler_file=self.file, timeout=TIMEOUT)
        self.client.wait_for_workers(workers, timeout=TIMEOUT)

    def pids(self):
        """Worker address to process id, as the workers say."""
        return self.client.run(os.getpid)

    def process(self, pid):
        return next(process for _, process in self.processes if process.pid == pid)

    def logs(self):
        text = ""
        for name, _ in self.processes:
            tail = (self.work / f"{name}.log").read_text(errors="replace").splitlines()[-15:]
            text += f"--- {name}\n" + "\n".join(tail) + "\n"
        return text

    def stop(self):
        if self.client is not None:
            self.client.close(timeout=10)
        # The workers first: one whose scheduler is gone takes its time to give up on it.
        for _, process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=10)


@pytest.fixture
def cluster(tmp_path):
    cluster = Cluster(tmp_path)
    try:
        cluster.start(workers=2)
        yield cluster
    finally:
        print(cluster.logs())
        cluster.stop()


def blocksize(path):
    return os.path.getsize(path) // PARTITIONS + 1


def joined_output(out_dir):
    lines = []
    for name in sorted(os.listdir(out_dir)):
        lines += (out_dir / name).read_text().splitlines()
    return lines


def assert_same_lines(got, expected):
    if got == expected:
        return
    first = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
    pytest.fail(f"{len(got)} lines for {len(expected)}; first difference at output line {first + 1}:\n"
                f"  got:      {got[first][:200] if first < len(got) else '(none)'}\n"
                f"  expected: {expected[first][:200] if first < len(expected) else '(none)'}")


def convert(cluster, corpus, out_dir, convert=dask_corpus.convert_partition):
    futures = dask_corpus.convert_corpus(cluster.client, str(corpus), str(out_dir), blocksize(corpus), NAME,
                                         convert, timeout=TIMEOUT)
    assert 20 <= len(futures) <= 40
    return futures


def finish(cluster, futures):
    distributed.wait(futures, timeout=3 * TIMEOUT)
    assert [future.status for future in futures] == ["finished"] * len(futures), cluster.logs()


def recipe(address, blocksize):
    """The Dask recipe of docs/batch.md as it stands there, for this cluster and block size."""
    with open(os.path.join(ROOT, "docs", "batch.md"), encoding="utf-8") as f:
        text = f.read()
    code = text[text.index("```python", text.index("### Dask")) + len("```python"):]
    code = code[:code.index("```")]
    for old, new in (('"tcp://scheduler:8786"', repr(address)), ('"64 MiB"', repr(blocksize))):
        assert code.count(old) == 1, old
        code = code.replace(old, new)
    return code


def test_the_recipe_gives_the_tools_lines_with_each_error_line_in_its_place(corpus, cluster, tmp_path):
    path, expected, failing = corpus
    workers = cluster.pids()
    (tmp_path / NAME).symlink_to(path)
    code = recipe(cluster.client.scheduler.address, blocksize(path))
    run = subprocess.run([PYTHON, "-c", code], cwd=tmp_path, env=ENVIRONMENT, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=3 * TIMEOUT)
    assert run.returncode == 0, run.stdout.decode(errors="replace")[-3000:] + cluster.logs()
    assert 20 <= len(os.listdir(tmp_path / "models")) <= 40

    got = joined_output(tmp_path / "models")
    assert_same_lines(got, expected)
    # Error lines stand where their documents stood and name their lines of the corpus.
    lines = path.read_bytes().split(b"\n")
    output_line = list(itertools.accumulate(1 if line.strip() else 0 for line in lines))
    for number in failing:
        assert got[output_line[number - 1] - 1].startswith(f'{{"error": "{NAME}:{number}:')
    # No worker died of a bad document.
    assert cluster.pids() == workers
    assert all(cluster.process(pid).poll() is None for pid in workers.values())


def test_a_worker_killed_mid_job_loses_and_duplicates_nothing(corpus, cluster, tmp_path):
    path, expected, _ = corpus
    workers = cluster.pids()
    client = cluster.client
    # Each worker converts five partitions, then waits until one of them is killed: the killed
    # worker holds finished work and is in the middle of more.
    free = 5
    gated = functools.partial(dask_corpus.gated_partition, gate="go", free=free, timeout=TIMEOUT)
    futures = convert(cluster, path, tmp_path / "models", gated)
    at_gate = distributed.Queue("go", client)
    assert {at_gate.get(timeout=TIMEOUT) for _ in workers} == set(workers)

    held = {address: len(keys) for address, keys in client.has_what().items()}
    victim = max(held, key=held.get)
    assert held[victim] >= 1 and client.processing()[victim]
    assert sum(future.done() for future in futures) < len(futures)
    os.kill(workers[victim], signal.SIGKILL)
    assert cluster.process(workers[victim]).wait(timeout=TIMEOUT) == -signal.SIGKILL
    deadline = time.monotonic() + TIMEOUT
    while victim in client.scheduler_info()["workers"]:
        assert time.monotonic() < deadline, "the scheduler did not notice the killed worker"
        time.sleep(0.05)
    distributed.Event("go", client).set()

    finish(cluster, futures)
    assert_same_lines(joined_output(tmp_path / "models"), expected)
    survivor = next(address for address in workers if address != victim)
    assert cluster.pids() == {survivor: workers[survivor]}
